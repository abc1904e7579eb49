// The layered window under test on the Xvfb display: attaching, pushing frames, the child hooks, the
// caret, and the kept-background path proved invisible against the reference composition.
#include "skin/button.h"
#include "skin/caret.h"
#include "skin/child_hooks.h"
#include "skin/painter.h"
#include "skin/props.h"
#include "skin/window.h"
#include "tests/support/gif_writer.h"
#include "tests/support/layered_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace layered_test;

namespace {

constexpr Gdiplus::ARGB kBack = 0xFF203040, kOtherBack = 0xFF405060;
constexpr Gdiplus::ARGB kNormal = 0xFF00C000, kHover = 0xFFC0C000, kPressed = 0xFFC00000,
                        kDisabled = 0xFF808080;
constexpr Gdiplus::ARGB kPicture = 0xFF0000C0;
constexpr std::uint32_t kTextColour = 0x0000FFFF;   // 0x00BBGGRR: yellow
constexpr std::uint32_t kTextOnScreen = 0x00FFFF00; // the same yellow as the screen reads it

std::uint32_t Rgb(Gdiplus::ARGB colour) {
    return colour & 0x00FFFFFF;
}

// An image whose disposal can be seen: GDI+ holds the stream it was loaded from until it is disposed.
struct StreamImage {
    IStream* stream = nullptr;
    Gdiplus::GpImage* image = nullptr;

    StreamImage() {
        auto source = SolidImage(8, 8, kBack);
        CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        CLSID png{};
        CLSIDFromString(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &png);
        gp::GdipSaveImageToStream(source.get(), stream, &png, nullptr);
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        gp::GdipLoadImageFromStream(stream, &image);
    }
    ~StreamImage() { stream->Release(); }
    ULONG References() const {
        stream->AddRef();
        return stream->Release();
    }
};

class LayeredWindow : public testing::Test {
  protected:
    TopWindow window_{300, 200, 160, 100};
    skin::SkinWindow skin_;
    skin::GpBitmapOwner normal_ = SolidImage(40, 20, kNormal), hover_ = SolidImage(40, 20, kHover),
                        pressed_ = SolidImage(40, 20, kPressed), disabled_ = SolidImage(40, 20, kDisabled);

    void SetUp() override {
        ASSERT_TRUE(skin_.Attach(window_.get()));
        ASSERT_TRUE(skin_.SetBackImage(SolidImage(16, 16, kBack).release()));
    }
    void TearDown() override {
        gp::GdipDisposeImage(
            reinterpret_cast<Gdiplus::GpImage*>(skin::GetSkinProp(window_.get(), skin::kPropBackImage)));
    }

    HWND AddButton(int x, int y, const char* windowClass = "Button") {
        HWND button = MakeChild(window_.get(), windowClass, x, y, 40, 20, skin::kKindButton);
        SetImageProp(button, skin::kPropNormalImage, normal_.get());
        SetImageProp(button, skin::kPropOverImage, hover_.get());
        SetImageProp(button, skin::kPropDownImage, pressed_.get());
        SetImageProp(button, skin::kPropDisableImage, disabled_.get());
        return button;
    }
    HWND AddField(int x, int y, const char* windowClass = "Edit") {
        HWND field = MakeChild(window_.get(), windowClass, x, y, 80, 24, skin::kKindTextField);
        skin::SetSkinProp(field, skin::kPropBackColor, 0x00FFFFFF);
        skin::SetSkinProp(field, skin::kPropBackAlpha, 255);
        skin::SetSkinProp(field, skin::kPropOrderColor, skin::kNoColour);
        skin::SetSkinProp(field, skin::kPropTextColor, kTextColour);
        SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return field;
    }
    // A point of the window's client area on the screen.
    POINT OnScreen(int x, int y) const {
        POINT point{x, y};
        ClientToScreen(window_.get(), &point);
        return point;
    }
    std::uint32_t ScreenAt(int x, int y) const {
        const POINT point = OnScreen(x, y);
        return ScreenPixel(point.x, point.y);
    }
    bool ScreenShows(const RECT& client, std::uint32_t rgb) const {
        const POINT corner = OnScreen(client.left, client.top);
        const auto pixels = ScreenPixels(RECT{corner.x, corner.y, corner.x + client.right - client.left,
                                              corner.y + client.bottom - client.top});
        for (std::uint32_t pixel : pixels)
            if (pixel == rgb) return true;
        return false;
    }

  private:
    skin::FontOwner font_{
        CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans")};
};

LRESULT CALLBACK NeverCalled(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TEST_F(LayeredWindow, AttachReplacesTheExtendedStyleAndMakesOneTimer) {
    TopWindow other(100, 100, 50, 50);
    SetWindowLongPtrA(other.get(), GWL_EXSTYLE, WS_EX_APPWINDOW | WS_EX_TOOLWINDOW);
    skin::SkinWindow skin;
    ASSERT_TRUE(skin.Attach(other.get()));
    EXPECT_EQ(GetWindowLongPtrA(other.get(), GWL_EXSTYLE), WS_EX_LAYERED);
    EXPECT_EQ(skin::GetSkinProp(other.get(), skin::kPropTime), 64);
    EXPECT_TRUE(KillTimer(other.get(), skin::kCaretTimerId));

    SetWindowLongPtrA(other.get(), GWL_EXSTYLE, WS_EX_APPWINDOW);
    ASSERT_TRUE(skin.Attach(other.get()));
    EXPECT_EQ(GetWindowLongPtrA(other.get(), GWL_EXSTYLE), WS_EX_LAYERED);
    EXPECT_FALSE(KillTimer(other.get(), skin::kCaretTimerId)) << "a second attach made a second timer";

    EXPECT_FALSE(skin.Attach(reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(skin.Handle(), other.get());
}

TEST_F(LayeredWindow, BackgroundIsRefusedForNoImageOrADeadWindowAndNothingIsPushed) {
    const intptr_t back = skin::GetSkinProp(window_.get(), skin::kPropBackImage);
    const long pushes = skin::FramesPushed();
    EXPECT_FALSE(skin_.SetBackImage(nullptr));
    EXPECT_FALSE(skin_.SetBackImageData({}));
    EXPECT_EQ(skin::GetSkinProp(window_.get(), skin::kPropBackImage), back);

    auto image = SolidImage(4, 4, kOtherBack);
    skin::SkinWindow dead;
    {
        TopWindow gone(100, 100, 50, 50);
        dead.Attach(gone.get());
    }
    EXPECT_FALSE(dead.IsAlive());
    EXPECT_FALSE(dead.SetBackImage(image.get()));
    EXPECT_EQ(skin::FramesPushed(), pushes);
}

TEST_F(LayeredWindow, ReplacedBackgroundIsDisposedButNotOneSetAgain) {
    StreamImage first, second;
    ASSERT_NE(first.image, nullptr);
    skin_.SetBackImage(first.image);
    const ULONG held = first.References();
    skin_.SetBackImage(first.image);
    EXPECT_EQ(first.References(), held);
    skin_.SetBackImage(second.image);
    EXPECT_LT(first.References(), held);
}

TEST_F(LayeredWindow, ZeroSizeWindowPushesNothing) {
    TopWindow empty(100, 100, 0, 0);
    skin::SkinWindow skin;
    skin.Attach(empty.get());
    const long pushes = skin::FramesPushed();
    EXPECT_TRUE(skin.SetBackImage(SolidImage(4, 4, kBack).release()));
    skin.Refresh();
    EXPECT_FALSE(skin::ComposeWindow(empty.get(), true));
    EXPECT_EQ(skin::FramesPushed(), pushes);
    gp::GdipDisposeImage(
        reinterpret_cast<Gdiplus::GpImage*>(skin::GetSkinProp(empty.get(), skin::kPropBackImage)));
}

TEST_F(LayeredWindow, SetBoundsKeepsOmittedValues) {
    skin_.SetBounds(280);
    RECT rect{};
    GetWindowRect(window_.get(), &rect);
    EXPECT_EQ(rect.left, 280);
    EXPECT_EQ(rect.top, 200);
    EXPECT_EQ(rect.right - rect.left, 160);
    skin_.SetBounds(std::nullopt, std::nullopt, std::nullopt, 90);
    GetWindowRect(window_.get(), &rect);
    EXPECT_EQ(rect.left, 280);
    EXPECT_EQ(rect.right - rect.left, 160);
    EXPECT_EQ(rect.bottom - rect.top, 90);
    skin_.SetBounds();
    RECT same{};
    GetWindowRect(window_.get(), &same);
    EXPECT_TRUE(EqualRect(&rect, &same));
}

TEST_F(LayeredWindow, RefreshHooksTypedChildrenOnceAndTakesBackStandaloneDrawing) {
    HWND button = AddButton(10, 10);
    HWND field = AddField(10, 40);
    HWND picture = MakeChild(window_.get(), "Static", 60, 10, 20, 20, skin::kKindPicture);
    HWND plain = MakeChild(window_.get(), "Static", 90, 10, 20, 20, skin::kKindNone);
    const LONG_PTR buttonProc = GetWindowLongPtrA(button, GWLP_WNDPROC);
    const LONG_PTR pictureProc = GetWindowLongPtrA(picture, GWLP_WNDPROC);
    const LONG_PTR plainProc = GetWindowLongPtrA(plain, GWLP_WNDPROC);
    skin::Subclass(button, NeverCalled);
    skin::Subclass(picture, NeverCalled);

    skin_.Refresh();
    skin_.Refresh();

    EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(skin::ButtonChildProc));
    EXPECT_EQ(skin::GetSkinProp(button, skin::kPropChildWndProc), buttonProc);
    EXPECT_EQ(skin::GetSkinProp(button, skin::kPropWndProc), 0);
    EXPECT_EQ(GetWindowLongPtrA(field, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(skin::TextChildProc));
    EXPECT_EQ(GetWindowLongPtrA(picture, GWLP_WNDPROC), pictureProc);
    EXPECT_EQ(skin::GetSkinProp(picture, skin::kPropWndProc), 0);
    EXPECT_EQ(skin::GetSkinProp(picture, skin::kPropChildWndProc), 0);
    EXPECT_EQ(GetWindowLongPtrA(plain, GWLP_WNDPROC), plainProc);
}

TEST_F(LayeredWindow, ReattachedButtonEndsInTheSameSingleHook) {
    HWND button = AddButton(10, 10);
    const LONG_PTR platformProc = GetWindowLongPtrA(button, GWLP_WNDPROC);
    skin::SkinButton skinned;
    skinned.Attach(button);
    skin_.Refresh();
    skinned.Attach(button); // the application re-attaches its option buttons when their images change
    EXPECT_EQ(skin::GetSkinProp(button, skin::kPropWndProc),
              reinterpret_cast<LONG_PTR>(skin::ButtonChildProc));
    skin_.Refresh();

    EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(skin::ButtonChildProc));
    EXPECT_EQ(skin::GetSkinProp(button, skin::kPropChildWndProc), platformProc);
    EXPECT_EQ(skin::GetSkinProp(button, skin::kPropWndProc), 0);
}

TEST_F(LayeredWindow, ADisabledButtonKeepsItsDisabledFaceWhateverArrivesLate) {
    HWND button = AddButton(10, 10);
    skin_.Refresh();
    EnableWindow(button, FALSE);
    for (UINT message : {WM_MOUSELEAVE, WM_LBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN}) {
        SendMessageA(button, message, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(ScreenAt(20, 15), Rgb(kDisabled)) << "message " << message;
    }
}

namespace {
// Window classes that watch, from inside their own procedure, what the hook in front of them pushed.
struct ProcWitness {
    long pushesBefore = 0;
    long pushesSeen = -1;
    std::uint32_t screenSeen = 0;
    POINT probe{};
    WPARAM font = 0;
};
ProcWitness g_witness;

LRESULT CALLBACK WitnessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_SETTEXT) {
        g_witness.pushesSeen = skin::FramesPushed() - g_witness.pushesBefore;
        g_witness.screenSeen = ScreenPixel(g_witness.probe.x, g_witness.probe.y);
    }
    if (message == WM_SETFONT) g_witness.font = wParam;
    if (message == WM_GETFONT) return static_cast<LRESULT>(g_witness.font);
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* WitnessClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = WitnessProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "LayeredWitness";
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered ? "LayeredWitness" : "";
}
} // namespace

TEST_F(LayeredWindow, ButtonHookPushesBeforeTheButtonRuns) {
    HWND button = AddButton(10, 10, WitnessClass());
    skin_.Refresh();
    g_witness = {skin::FramesPushed(), -1, 0, OnScreen(20, 15), 0};
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(g_witness.pushesSeen, 1);
    EXPECT_EQ(g_witness.screenSeen, Rgb(kPressed));
}

TEST_F(LayeredWindow, TextHookPushesAfterTheFieldRuns) {
    HWND field = AddField(10, 40, WitnessClass());
    skin_.Refresh();
    g_witness.pushesBefore = skin::FramesPushed();
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("WWWW"));
    EXPECT_EQ(g_witness.pushesSeen, 0);
    EXPECT_EQ(skin::FramesPushed(), g_witness.pushesBefore + 1);
    EXPECT_TRUE(ScreenShows(RECT{10, 40, 90, 64}, kTextOnScreen)) << "no text on screen";
}

TEST(Caret, LineStandsFiveRightOfTheCaretAndCentredInTheField) {
    TopWindow host(200, 150, 300, 120);
    HWND field = MakeChild(host.get(), "Static", 100, 50, 80, 30, skin::kKindTextField);
    CreateCaret(field, nullptr, 1, 12);
    SetCaretPos(17, 3);
    auto frame = SolidImage(300, 120, 0);
    Gdiplus::GpGraphics* graphics = nullptr;
    gp::GdipGetImageGraphicsContext(frame.get(), &graphics);
    {
        skin::GraphicsOwner owner(graphics);
        skin::DrawCaretLine(host.get(), field, graphics);
    }
    DestroyCaret();
    constexpr Gdiplus::ARGB kOpaqueBlack = 0xFF000000;
    EXPECT_EQ(BoundsOfColour(frame.get(), RECT{0, 0, 300, 120}, kOpaqueBlack), (RECT{122, 59, 123, 72}));
}

TEST_F(LayeredWindow, CaretBlinksOnlyWhileAFieldHasTheFocus) {
    HWND field = AddField(10, 40);
    HWND button = AddButton(100, 10);
    skin_.Refresh();
    SetForegroundWindow(window_.get());
    SetFocus(field);
    skin::CaretTracker& caret = skin::Caret();
    ASSERT_EQ(caret.host, window_.get());
    ASSERT_EQ(caret.child, field);
    ASSERT_TRUE(caret.lastFrame);

    POINT at{};
    GetCaretPos(&at);
    const int lineX = 10 + at.x + 5, lineY = 40 + (24 - 12) / 2 + 6;
    auto tick = [&](HWND window, UINT_PTR id = skin::kCaretTimerId) {
        const long pushes = skin::FramesPushed();
        skin::CaretBlinkProc(window, WM_TIMER, id, 0);
        return skin::FramesPushed() - pushes;
    };
    EXPECT_EQ(tick(window_.get()), 1);
    EXPECT_EQ(ScreenAt(lineX, lineY), 0u) << "caret shown on the first tick";
    EXPECT_EQ(tick(window_.get()), 1);
    EXPECT_EQ(ScreenAt(lineX, lineY), 0x00FFFFFFu);
    EXPECT_EQ(tick(window_.get(), skin::kCaretTimerId + 1), 0);
    TopWindow other(50, 50, 40, 40, false);
    EXPECT_EQ(tick(other.get()), 0);

    const long pushes = skin::FramesPushed();
    PumpFor(1100);
    EXPECT_GE(skin::FramesPushed() - pushes, 1) << "the blink timer never ticked";

    if (caret.phase != 1) tick(window_.get());
    ASSERT_EQ(caret.phase, 1);
    SetFocus(button);
    EXPECT_EQ(caret.host, nullptr);
    EXPECT_EQ(caret.child, nullptr);
    EXPECT_EQ(ScreenAt(lineX, lineY), 0x00FFFFFFu) << "the caret stayed after the focus left";
    EXPECT_EQ(tick(window_.get()), 0);
}

TEST_F(LayeredWindow, TypingRecomposesWithoutTheCaret) {
    HWND field = AddField(10, 40);
    skin_.Refresh();
    SetForegroundWindow(window_.get());
    SetFocus(field);
    skin::CaretBlinkProc(window_.get(), WM_TIMER, skin::kCaretTimerId, 0);
    const long pushes = skin::FramesPushed();
    SendMessageA(field, WM_CHAR, 'W', 0);
    EXPECT_EQ(skin::FramesPushed(), pushes + 1);
    EXPECT_TRUE(ScreenShows(RECT{10, 40, 90, 64}, kTextOnScreen));
    POINT at{};
    GetCaretPos(&at);
    EXPECT_EQ(ScreenAt(10 + at.x + 5, 52), 0x00FFFFFFu);
    SetFocus(nullptr);
}

// The kept background and the skipped compositions and pushes must never show: after each change, those
// made by property writes and those that are none, the kept path composes exactly the reference frame,
// the screen shows it, and a push happened exactly when the frame changed. No text field: one would have
// every tick compose.
TEST_F(LayeredWindow, KeptPathMatchesTheReferenceAndPushesEveryChange) {
    HWND hovered = AddButton(10, 10), disabled = AddButton(60, 10), moved = AddButton(110, 10);
    HWND picture = MakeChild(window_.get(), "Static", 10, 70, 30, 20, skin::kKindPicture);
    auto pictureImage = SolidImage(30, 20, kPicture);
    SetImageProp(picture, skin::kPropBackImage, pictureImage.get());
    const auto gif = testgif::SolidColourGif(30, 20, {RGB(255, 0, 0), RGB(0, 0, 255)}, {10, 10});
    skin::ImageOwner animation(images::DecodeImage(gif));
    const GUID time{0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
    const auto tick = [&] { skin::ComposeWindow(window_.get(), false); };
    const auto back = [&] {
        return reinterpret_cast<Gdiplus::GpImage*>(skin::GetSkinProp(window_.get(), skin::kPropBackImage));
    };

    const std::pair<const char*, std::function<void()>> steps[] = {
        {"refresh", [&] { skin_.Refresh(); }},
        {"background swap", [&] { skin_.SetBackImage(SplitImage(32, 32, kOtherBack, kBack).release()); }},
        {"hover", [&] { SendMessageA(hovered, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3)); }},
        {"move inside a hovered button", [&] { SendMessageA(hovered, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4)); }},
        {"press", [&] { SendMessageA(hovered, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4)); }},
        {"disable", [&] { EnableWindow(disabled, FALSE); }},
        {"move over another",
         [&] {
             SetWindowPos(moved, nullptr, 80, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
             skin_.Refresh();
         }},
        {"resize in place",
         [&] {
             SetWindowPos(moved, nullptr, 0, 0, 20, 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
             tick();
         }},
        {"restack",
         [&] {
             SetWindowPos(moved, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
             tick();
         }},
        {"hide",
         [&] {
             ShowWindow(picture, SW_HIDE);
             skin_.Refresh();
         }},
        {"unchanged tick", tick},
        {"state written directly, then a refresh",
         [&] {
             skin::SetSkinProp(hovered, skin::kPropDrawState, skin::kStateNormal);
             skin_.Refresh();
         }},
        {"same background again", [&] { skin_.SetBackImage(back()); }},
        {"frame refused, then a tick",
         [&] {
             SetWindowLongPtrA(window_.get(), GWL_EXSTYLE, 0); // no frame is taken from a window not layered
             SendMessageA(hovered, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
             SetWindowLongPtrA(window_.get(), GWL_EXSTYLE, WS_EX_LAYERED);
             tick();
         }},
        // To the compositor, a new picture at the address of a freed one is the old image with new pixels.
        {"background written again at its address",
         [&] {
             Gdiplus::GpGraphics* raw = nullptr;
             gp::GdipGetImageGraphicsContext(back(), &raw);
             gp::GdipGraphicsClear(skin::GraphicsOwner(raw).get(), kBack);
             SetImageProp(window_.get(), skin::kPropBackImage, back());
             tick();
         }},
        {"animation shown",
         [&] {
             SetImageProp(picture, skin::kPropBackImage, animation.get());
             tick();
         }},
        {"another frame of the animation",
         [&] {
             gp::GdipImageSelectActiveFrame(animation.get(), &time, 1);
             tick();
         }},
    };
    std::vector<std::uint32_t> previous;
    for (const auto& [name, step] : steps) {
        const long pushes = skin::FramesPushed();
        step();
        const long pushed = skin::FramesPushed() - pushes;
        auto reference = skin::ComposeWindowAfresh(window_.get());
        auto kept = skin::ComposeWindow(window_.get(), true);
        const auto expected = FramePixels(reference.get());
        ASSERT_EQ(FramePixels(kept.get()), expected) << name;
        EXPECT_EQ(pushed, expected != previous ? 1 : 0) << name;
        previous = expected;

        RECT area{};
        GetWindowRect(window_.get(), &area);
        EXPECT_EQ(ScreenMismatches(area, reference.get()), 0)
            << name << ": the screen does not show the frame";
    }
}

TEST_F(LayeredWindow, PushingFramesLeavesNoObjectAlive) {
    HWND button = AddButton(10, 10);
    skin_.Refresh();
    const long gdi = skin::LiveGdiObjects(), gdip = skin::LiveGdipObjects();
    const long pushes = skin::FramesPushed();
    for (int i = 0; i < 20; ++i) {
        skin::SetSkinProp(button, skin::kPropDrawState, (i + 1) % 3);
        skin::ComposeWindow(window_.get(), false);
    }
    EXPECT_EQ(skin::FramesPushed(), pushes + 20);
    EXPECT_EQ(skin::LiveGdiObjects(), gdi);
    EXPECT_EQ(skin::LiveGdipObjects(), gdip);
}

// A real pointer over a layered window: the frame stands where the window is, and hover and press
// show at once.
TEST_F(LayeredWindow, RealPointerChangesTheFrameOnScreenAtOnce) {
    HWND button = AddButton(60, 40);
    skin_.Refresh();
    RECT area{};
    GetWindowRect(window_.get(), &area);
    auto frame = skin::ComposeWindow(window_.get(), true);
    EXPECT_EQ(ScreenMismatches(area, frame.get()), 0);

    auto send = [](DWORD flags, POINT at = {}) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = static_cast<LONG>(at.x * 65535.0 / (GetSystemMetrics(SM_CXSCREEN) - 1) + 0.5);
        input.mi.dy = static_cast<LONG>(at.y * 65535.0 / (GetSystemMetrics(SM_CYSCREEN) - 1) + 0.5);
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
        PumpFor(150);
    };
    send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, OnScreen(5, 5));
    EXPECT_EQ(ScreenAt(70, 50), Rgb(kNormal)) << skin::GetDrawStateProp(button);
    send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, OnScreen(75, 48));
    EXPECT_EQ(ScreenAt(70, 50), Rgb(kHover));
    send(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(ScreenAt(70, 50), Rgb(kPressed));
    send(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(ScreenAt(70, 50), Rgb(kHover));
    send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, OnScreen(5, 5));
    PumpFor(600); // Wine looks for the pointer's leaving on a timer of the hover time
    EXPECT_EQ(ScreenAt(70, 50), Rgb(kNormal));
}
