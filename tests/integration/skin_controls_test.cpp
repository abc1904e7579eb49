// Skinned controls on an ordinary parent window: hooks, the parent's cooperation, the image button's
// draw states, face composition by placement mode, the picture box, tooltips and placement.
#include "skin/button.h"
#include "skin/picture.h"
#include "skin/props.h"
#include "skin/state_drawing.h"
#include "skin/tooltip.h"
#include "tests/support/skin_fixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace skintest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kMarker = RGB(255, 0, 255);
constexpr COLORREF kOtherBand = RGB(0, 160, 0);

// Keeps the real pointer away from the test windows, so that it sends no moves or leaves of its own.
void ParkPointer() {
    SetCursorPos(1300, 700);
}

LRESULT CALLBACK FirstProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return skin::CallOldProc(w, m, wp, lp);
}
LRESULT CALLBACK SecondProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return skin::CallOldProc(w, m, wp, lp);
}

constexpr char kPosFlagsProp[] = "test_pos_flags";

// Keeps the flags of the last position change in a property of the window.
LRESULT CALLBACK RecordPosFlags(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_WINDOWPOSCHANGING)
        skin::SetSkinProp(w, kPosFlagsProp, reinterpret_cast<WINDOWPOS*>(lp)->flags);
    return skin::CallOldProc(w, m, wp, lp);
}

WNDPROC ProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}
WNDPROC SavedProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(skin::GetSkinProp(window, skin::kPropWndProc));
}

HWND PlainChild(HWND parent, const char* cls = "Static") {
    return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 20, 20, parent,
                           nullptr, nullptr, nullptr);
}

} // namespace

// --- the shrink-to-fit rule ----------------------------------------------------------------------

TEST(SkinFitWithin, ShrinksByTheTighterSideAndNeverEnlarges) {
    using skin::FitSize;
    EXPECT_EQ(skin::FitWithin(400, 300, 200, 200), (FitSize{200, 150}));
    EXPECT_EQ(skin::FitWithin(100, 400, 200, 200), (FitSize{50, 200}));
    EXPECT_EQ(skin::FitWithin(50, 50, 200, 100), (FitSize{50, 50}));
    EXPECT_EQ(skin::FitWithin(320, 100, 160, 100), (FitSize{160, 50}));
    EXPECT_EQ(skin::FitWithin(300, 200, 200, 50), (FitSize{75, 50})) << "both sides too large";
    EXPECT_EQ(skin::FitWithin(7, 5, 3, 100), (FitSize{3, 2})) << "truncated, not rounded";
}

// --- hooks and the parent's cooperation ----------------------------------------------------------

TEST(SkinHooks, SubclassHooksOnceAndKeepsTheFirstSavedProcedure) {
    TestParent parent;
    HWND child = PlainChild(parent.get());
    WNDPROC original = ProcOf(child);
    skin::Subclass(child, FirstProc);
    skin::Subclass(child, SecondProc);
    EXPECT_EQ(ProcOf(child), FirstProc);
    EXPECT_EQ(SavedProcOf(child), original);
    EXPECT_EQ(SendMessageA(child, WM_GETTEXTLENGTH, 0, 0), 0)
        << "messages still reach the platform procedure";
}

TEST(SkinHooks, AttachPreparesControlAndParentAndHooksTheParentOnce) {
    TestParent parent;
    WNDPROC original = ProcOf(parent.get());
    HWND first = PlainChild(parent.get());
    HWND second = PlainChild(parent.get());
    skin::SkinControl control;
    ASSERT_TRUE(control.Attach(first));
    ASSERT_TRUE(control.Attach(second));
    EXPECT_EQ(control.Handle(), second);
    EXPECT_EQ(ProcOf(parent.get()), skin::ParentProc);
    EXPECT_EQ(SavedProcOf(parent.get()), original);
    EXPECT_FALSE(GetWindowLongPtrA(first, GWL_STYLE) & WS_CLIPSIBLINGS);
    EXPECT_TRUE(GetWindowLongPtrA(first, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_FALSE(GetWindowLongPtrA(parent.get(), GWL_STYLE) & WS_CLIPCHILDREN);

    EXPECT_FALSE(control.Attach(reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(control.Handle(), second) << "a failed attach keeps the previous handle";
}

TEST(SkinHooks, SkinnedParentIsNotHooked) {
    TestParent parent;
    skin::SkinPictureBox picture;
    HWND box = picture.Create(parent.get(), 10, 10, 100, 100);
    ASSERT_NE(box, nullptr);
    WNDPROC staticProc = SavedProcOf(box);
    skin::SkinButton button;
    ASSERT_NE(button.Create(box, 5, 5, 20, 20, "x"), nullptr);
    EXPECT_EQ(ProcOf(box), skin::PictureProc);
    EXPECT_EQ(SavedProcOf(box), staticProc);
}

TEST(SkinHooks, ModifyStyleWritesOnlyWhenSomethingChanges) {
    TestParent parent;
    LONG_PTR style = GetWindowLongPtrA(parent.get(), GWL_STYLE);
    ASSERT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_FALSE(skin::ModifyStyle(parent.get(), WS_DISABLED, WS_CLIPCHILDREN));
    EXPECT_FALSE(skin::ModifyExStyle(parent.get(), WS_EX_TRANSPARENT, 0));
    EXPECT_EQ(parent.seen.styleChanges, 0);
    EXPECT_TRUE(skin::ModifyStyle(parent.get(), WS_CLIPCHILDREN, 0));
    EXPECT_EQ(parent.seen.styleChanges, 1);
    EXPECT_EQ(GetWindowLongPtrA(parent.get(), GWL_STYLE), style & ~WS_CLIPCHILDREN);
}

TEST(SkinHooks, ParentAnswersColourMessagesByKind) {
    TestParent parent;
    HWND children[4];
    const int kinds[4] = {skin::kKindNone, skin::kKindPicture, skin::kKindButton, skin::kKindTextField};
    for (int i = 0; i < 4; ++i) {
        children[i] = PlainChild(parent.get());
        skin::SetSkinProp(children[i], skin::kPropType, kinds[i]);
    }
    skin::Subclass(parent.get(), skin::ParentProc);
    constexpr COLORREF kFieldText = RGB(10, 20, 30), kDcText = RGB(1, 2, 3);
    skin::SetSkinProp(children[3], skin::kPropTextColor, kFieldText);
    skin::SetSkinProp(children[2], skin::kPropTextColor, kFieldText);
    const auto hollow = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));

    for (UINT message : {WM_CTLCOLORBTN, WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT}) {
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << "message " << message << ", kind " << kinds[i]);
            skin::MemoryDc dc(CreateCompatibleDC(nullptr));
            SetTextColor(dc.get(), kDcText);
            SetBkMode(dc.get(), OPAQUE);
            LRESULT answer = SendMessageA(parent.get(), message, reinterpret_cast<WPARAM>(dc.get()),
                                          reinterpret_cast<LPARAM>(children[i]));
            if (kinds[i] == skin::kKindNone) {
                EXPECT_EQ(answer, kParentColorAnswer);
                EXPECT_EQ(GetBkMode(dc.get()), OPAQUE);
                continue;
            }
            EXPECT_EQ(answer, hollow);
            EXPECT_EQ(GetBkMode(dc.get()), TRANSPARENT);
            EXPECT_EQ(GetTextColor(dc.get()), kinds[i] == skin::kKindTextField ? kFieldText : kDcText);
        }
    }
}

TEST(SkinHooks, ParentForwardsCommandsAndRepaintsEditedTextFields) {
    TestParent parent;
    HWND field = PlainChild(parent.get());
    HWND plain = PlainChild(parent.get());
    skin::SetSkinProp(field, skin::kPropType, skin::kKindTextField);
    skin::Subclass(parent.get(), skin::ParentProc);
    parent.PaintNow();
    RECT dirty{};
    for (int code : {EN_CHANGE, EN_HSCROLL, EN_VSCROLL}) {
        ValidateRect(field, nullptr);
        SendMessageA(parent.get(), WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(field));
        EXPECT_TRUE(GetUpdateRect(field, &dirty, FALSE)) << code;
    }
    ValidateRect(field, nullptr);
    SendMessageA(parent.get(), WM_COMMAND, MAKEWPARAM(0, EN_SETFOCUS), reinterpret_cast<LPARAM>(field));
    SendMessageA(parent.get(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(plain));
    EXPECT_FALSE(GetUpdateRect(field, &dirty, FALSE));
    EXPECT_FALSE(GetUpdateRect(plain, &dirty, FALSE));
    EXPECT_EQ(parent.seen.commands.size(), 5u) << "every command reaches the parent's own procedure";
}

// --- the image button's draw states --------------------------------------------------------------

class SkinButtonTest : public testing::Test {
  protected:
    void SetUp() override {
        ParkPointer();
        Pump();
        window = button.Create(parent.get(), 20, 20, 40, 30, "caption");
        ASSERT_NE(window, nullptr);
        button.SetImages(normal.get(), hover.get(), pressed.get(), disabled.get());
        parent.PaintNow();
    }
    void TearDown() override {
        ParkPointer();
        ReleaseCapture();
        TRACKMOUSEEVENT cancel{sizeof(cancel), TME_CANCEL | TME_LEAVE, window, 0};
        TrackMouseEvent(&cancel);
    }

    int State() const { return static_cast<int>(button.GetProperty(skin::kPropDrawState)); }
    COLORREF Face() const { return PixelAt(window, 20, 15); }
    LRESULT Post(UINT message, WPARAM wParam = 0, LPARAM lParam = MAKELPARAM(5, 5)) const {
        return SendMessageA(window, message, wParam, lParam);
    }
    // The platform arms leave tracking only while the pointer is over the window.
    void PointerOverButton() const {
        RECT r{};
        GetWindowRect(window, &r);
        SetCursorPos(r.left + 5, r.top + 5);
    }
    bool LeaveTrackingArmed() const {
        TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
        TrackMouseEvent(&query);
        return (query.dwFlags & TME_LEAVE) && query.hwndTrack == window;
    }

    TestParent parent;
    skin::GpBitmapOwner normal = SolidImage(40, 30, Opaque(kRed));
    skin::GpBitmapOwner hover = SolidImage(40, 30, Opaque(kGreen));
    skin::GpBitmapOwner pressed = SolidImage(40, 30, Opaque(kYellow));
    skin::GpBitmapOwner disabled = SolidImage(40, 30, Opaque(kGray));
    skin::SkinButton button;
    HWND window = nullptr;
};

TEST_F(SkinButtonTest, RealMessagesWalkEveryTransition) {
    struct Step {
        const char* what;
        std::function<void()> act;
        int state;
        COLORREF face;
    };
    const std::vector<Step> steps{
        {"move in normal", [&] { Post(WM_MOUSEMOVE); }, 1, kGreen},
        {"button down", [&] { Post(WM_LBUTTONDOWN, MK_LBUTTON); }, 2, kYellow},
        {"button up while pressed", [&] { Post(WM_LBUTTONUP); }, 1, kGreen},
        {"button up while hovered", [&] { Post(WM_LBUTTONUP); }, 0, kRed},
        {"button up while normal", [&] { Post(WM_LBUTTONUP); }, 0, kRed},
        {"move again", [&] { Post(WM_MOUSEMOVE); }, 1, kGreen},
        {"leave while hovered", [&] { Post(WM_MOUSELEAVE); }, 0, kRed},
        {"down from normal", [&] { Post(WM_LBUTTONDOWN, MK_LBUTTON); }, 2, kYellow},
        {"leave while pressed", [&] { Post(WM_MOUSELEAVE); }, 0, kRed},
        {"up after leaving", [&] { Post(WM_LBUTTONUP); }, 0, kRed},
        {"disabled", [&] { EnableWindow(window, FALSE); }, 3, kGray},
        {"move while disabled", [&] { Post(WM_MOUSEMOVE); }, 3, kGray},
        {"up while disabled", [&] { Post(WM_LBUTTONUP); }, 3, kGray},
        {"leave while disabled", [&] { Post(WM_MOUSELEAVE); }, 3, kGray},
        {"disabled again", [&] { Post(WM_ENABLE, FALSE, 0); }, 3, kGray},
        {"enabled", [&] { EnableWindow(window, TRUE); }, 0, kRed},
        {"pushed", [&] { Post(BM_SETSTATE, 1, 0); }, 2, kYellow},
        {"focus while pressed", [&] { Post(WM_SETFOCUS); }, 1, kGreen},
        {"released while focused", [&] { Post(BM_SETSTATE, 0, 0); }, 1, kGreen},
        {"focus lost while hovered", [&] { Post(WM_KILLFOCUS); }, 0, kRed},
        {"focus gained while normal", [&] { Post(WM_SETFOCUS); }, 0, kRed},
        {"pushed again", [&] { Post(BM_SETSTATE, 1, 0); }, 2, kYellow},
        {"focus lost while pressed", [&] { Post(WM_KILLFOCUS); }, 2, kYellow},
        {"released unfocused", [&] { Post(BM_SETSTATE, 0, 0); }, 0, kRed},
        {"enabled from normal", [&] { Post(WM_ENABLE, TRUE, 0); }, 0, kRed},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(State(), step.state) << step.what;
        EXPECT_EQ(Face(), step.face) << step.what;
    }
}

TEST_F(SkinButtonTest, AMessageClickReachesTheParentAsClicked) {
    PointerOverButton();
    Post(WM_MOUSEMOVE);
    Post(WM_LBUTTONDOWN, MK_LBUTTON);
    Post(WM_LBUTTONUP);
    ASSERT_EQ(parent.seen.commands.size(), 1u);
    EXPECT_EQ(parent.seen.commands[0].first, window);
    EXPECT_EQ(parent.seen.commands[0].second, BN_CLICKED);
    EXPECT_EQ(State(), skin::kStateHover) << "the pointer is still over the button after the click";
    EXPECT_TRUE(LeaveTrackingArmed()) << "so leaving it later restores the normal face";
}

// The platform procedure of common controls 6 arms tracking on moves of its own, so only the first move's
// arming and the absence of repaints are the toolkit's.
TEST_F(SkinButtonTest, EnteringArmsLeaveTrackingAndMovesInsideDoNotRepaint) {
    PointerOverButton();
    Post(WM_MOUSEMOVE);
    EXPECT_TRUE(LeaveTrackingArmed());
    Scribble(window, kMarker);
    Post(WM_MOUSEMOVE, 0, MAKELPARAM(8, 8));
    EXPECT_EQ(Face(), kMarker) << "moves inside a hovered button repainted it";

    Post(WM_LBUTTONDOWN, MK_LBUTTON);
    Scribble(window, kMarker);
    Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(9, 9));
    EXPECT_EQ(State(), skin::kStatePressed);
    EXPECT_EQ(Face(), kMarker) << "moves inside a pressed button repainted it";
}

TEST_F(SkinButtonTest, AClickHandlerThatDisablesTheButtonLeavesItsDisabledFace) {
    parent.onCommand = [&](HWND control, int) { EnableWindow(control, FALSE); };
    PointerOverButton();
    Post(WM_MOUSEMOVE);
    Post(WM_LBUTTONDOWN, MK_LBUTTON);
    Post(WM_LBUTTONUP);
    ASSERT_EQ(parent.seen.commands.size(), 1u);
    EXPECT_EQ(Face(), kGray);
    ParkPointer();
    PumpFor(100); // the leave the tracking posts arrives late
    EXPECT_EQ(State(), skin::kStateDisabled);
    EXPECT_EQ(Face(), kGray);
}

TEST_F(SkinButtonTest, ForcedEventsRedrawEvenWithoutAStateChange) {
    for (auto [message, wParam] : {std::pair{BM_SETSTATE, 0}, {WM_MOUSELEAVE, 0}, {WM_ENABLE, 1}}) {
        ASSERT_EQ(State(), skin::kStateNormal);
        Scribble(window, kMarker);
        Post(message, wParam);
        EXPECT_EQ(Face(), kRed) << "message " << message;
    }
    Scribble(window, kMarker);
    skin::SetDrawState(window, skin::kStateNormal, false);
    EXPECT_EQ(Face(), kMarker) << "an unforced, unchanged state draws nothing";
}

TEST_F(SkinButtonTest, MissingStateImagesFallBackToTheNormalOne) {
    button.SetImages(std::nullopt, std::nullopt, std::nullopt, nullptr);
    EXPECT_EQ(button.GetProperty(skin::kPropOverImage), reinterpret_cast<intptr_t>(hover.get()));
    EnableWindow(window, FALSE);
    EXPECT_EQ(Face(), kRed);
    EnableWindow(window, TRUE);
    button.SetImages(nullptr);
    Post(WM_MOUSEMOVE);
    EXPECT_EQ(Face(), kGreen);
    Post(WM_MOUSELEAVE);
    EXPECT_EQ(Face(), kParentColor) << "with no image at all only the background shows";
}

TEST_F(SkinButtonTest, AttachingAgainHooksNothingNew) {
    WNDPROC platform = SavedProcOf(window);
    skin::SkinButton again;
    ASSERT_TRUE(again.Attach(window, pressed.get()));
    EXPECT_EQ(ProcOf(window), skin::ButtonProc);
    EXPECT_EQ(SavedProcOf(window), platform);
    parent.PaintNow();
    EXPECT_EQ(Face(), kYellow);
    ASSERT_TRUE(again.Attach(window));
    EXPECT_EQ(again.GetProperty(skin::kPropNormalImage), reinterpret_cast<intptr_t>(pressed.get()))
        << "attaching without an image keeps the normal image";
}

TEST(SkinButtonPaint, StateChangesBeforeTheFirstPaintDrawNothing) {
    TestParent parent;
    skin::GpBitmapOwner normal = SolidImage(40, 30, Opaque(kRed));
    skin::GpBitmapOwner hover = SolidImage(40, 30, Opaque(kGreen));
    skin::SkinButton button;
    HWND window = button.Create(parent.get(), 20, 20, 40, 30, "");
    button.SetImages(normal.get(), hover.get());
    Scribble(window, kMarker);
    skin::SetDrawState(window, skin::kStateHover, true);
    skin::SyncPushState(window, false);
    EXPECT_EQ(PixelAt(window, 20, 15), kMarker);
    EXPECT_EQ(button.GetProperty(skin::kPropDrawState), skin::kStateNormal);
    skin::SetDrawState(window, skin::kStateHover, true);
    Pump();
    EXPECT_EQ(PixelAt(window, 20, 15), kGreen) << "the first paint shows the stored state";
    EXPECT_EQ(PixelAt(parent.get(), 10, 10), kParentColor);
}

TEST(SkinButtonPaint, NoObjectOutlivesStateChangesAndRepaints) {
    TestParent parent;
    skin::GpBitmapOwner normal = SolidImage(40, 30, Opaque(kRed));
    skin::GpBitmapOwner hover = SolidImage(40, 30, Opaque(kGreen));
    skin::SkinButton button;
    HWND window = button.Create(parent.get(), 20, 20, 40, 30, "");
    button.SetImages(normal.get(), hover.get());
    parent.PaintNow();
    long gdi = skin::LiveGdiObjects(), gdip = skin::LiveGdipObjects();
    for (int i = 0; i < 1000; ++i)
        skin::SetDrawState(window, i % 4, false);
    for (int i = 0; i < 100; ++i)
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(skin::LiveGdiObjects(), gdi);
    EXPECT_EQ(skin::LiveGdipObjects(), gdip);
    DestroyWindow(window);
    EXPECT_EQ(skin::LiveGdiObjects(), gdi - 1) << "a destroyed button deletes its snapshot";
}

// Common controls 6 invalidates the button alone on hover, press and leave. Those repaints must draw over
// what the parent painted, not over the button's own last face: half-transparent images would darken.
TEST(SkinButtonPaint, RepaintsOfTheButtonAloneKeepTheParentsBackground) {
    TestParent parent;
    auto normal = SolidImage(40, 30, 0x80FF0000), hover = SolidImage(40, 30, 0x8000FF00);
    skin::SkinButton button;
    HWND window = button.Create(parent.get(), 20, 20, 40, 30, "");
    button.SetImages(normal.get(), hover.get());
    ParkPointer();
    parent.PaintNow();
    const COLORREF normalFace = PixelAt(window, 20, 15);
    for (int round = 0; round < 3; ++round) {
        for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE})
            SendMessageA(window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
        PumpFor(50);
        EXPECT_EQ(PixelAt(window, 20, 15), normalFace) << "round " << round;
    }
}

TEST(SkinButtonPaint, TheParentsCustomDrawNoticeRedrawsTheFace) {
    TestParent parent;
    skin::GpBitmapOwner normal = SolidImage(40, 30, Opaque(kRed));
    skin::SkinButton button;
    HWND window = button.Create(parent.get(), 20, 20, 40, 30, "");
    button.SetImages(normal.get());
    parent.PaintNow();
    Scribble(window, kMarker);
    NMHDR header{window, 0, static_cast<UINT>(NM_CUSTOMDRAW)};
    SendMessageA(parent.get(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(PixelAt(window, 20, 15), kRed);
    EXPECT_EQ(parent.seen.notifies, 1);
}

// --- composition by placement mode, for both painters --------------------------------------------

enum class Painter { Button, Picture };

class SkinPlacementTest : public testing::TestWithParam<Painter> {
  protected:
    void SetUp() override { ParkPointer(); }

    // A control of the given size at (20, 20), showing image with the placement mode, painted.
    HWND Show(int width, int height, Gdiplus::GpImage* image, int backType) {
        if (GetParam() == Painter::Button) {
            skin::SkinButton button;
            window = button.Create(parent.get(), 20, 20, width, height, "");
            button.SetBackType(backType);
            button.SetImages(image);
        } else {
            skin::SkinPictureBox picture;
            window = picture.Create(parent.get(), 20, 20, width, height);
            picture.SetBackType(backType);
            picture.SetImage(image);
        }
        parent.PaintNow();
        return window;
    }
    // A redraw from the kept snapshot, as a state change or the parent would cause it.
    void Redraw() const {
        if (GetParam() == Painter::Button)
            skin::DrawFace(window);
        else
            skin::DrawPictureFace(window);
    }
    COLORREF At(int x, int y) const { return PixelAt(window, x, y); }

    TestParent parent;
    HWND window = nullptr;
};

TEST_P(SkinPlacementTest, NaturalSizeAtTheCornerIsCutAtTheEdges) {
    auto image = MakeImage(60, 60, [](int x, int) { return Opaque(x < 30 ? kRed : kGreen); });
    Show(40, 30, image.get(), skin::kBackNatural);
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(29, 29), kRed);
    EXPECT_EQ(At(30, 29), kGreen);
    EXPECT_EQ(At(39, 29), kGreen);
    EXPECT_EQ(PixelAt(parent.get(), 61, 40), kParentColor) << "nothing is drawn beyond the control";
}

TEST_P(SkinPlacementTest, StretchFillsTheControlWhateverItsAspect) {
    auto image = MakeImage(10, 10, [](int x, int) { return Opaque(x < 5 ? kRed : kGreen); });
    Show(80, 20, image.get(), skin::kBackStretch);
    // Away from the edges, where the resampling blends with what lies outside the image.
    EXPECT_EQ(At(5, 10), kRed);
    EXPECT_EQ(At(30, 4), kRed);
    EXPECT_EQ(At(50, 16), kGreen);
    EXPECT_EQ(At(70, 10), kGreen);
}

TEST_P(SkinPlacementTest, FitKeepsASmallImageAndCentresItRoundingDown) {
    auto image = SolidImage(10, 10, Opaque(kRed));
    Show(15, 15, image.get(), skin::kBackFit);
    EXPECT_EQ(At(1, 7), kParentColor);
    EXPECT_EQ(At(2, 7), kRed);
    EXPECT_EQ(At(11, 7), kRed);
    EXPECT_EQ(At(12, 7), kParentColor);
    EXPECT_EQ(At(7, 1), kParentColor);
    EXPECT_EQ(At(7, 2), kRed);
}

TEST_P(SkinPlacementTest, FitShrinksAWideImageAndCentresItVertically) {
    auto image = SolidImage(320, 100, Opaque(kRed));
    Show(160, 100, image.get(), skin::kBackFit);
    EXPECT_EQ(At(80, 23), kParentColor);
    EXPECT_EQ(At(80, 27), kRed);
    EXPECT_EQ(At(80, 72), kRed);
    EXPECT_EQ(At(80, 76), kParentColor);
    EXPECT_EQ(At(2, 50), kRed);
    EXPECT_EQ(At(157, 50), kRed);
}

TEST_P(SkinPlacementTest, AResizedControlStretchesItsOldSnapshotUntilItRepaints) {
    // Under the 40-pixel control the parent shows blue then red; beyond it, another colour.
    parent.SetBands({{0, kParentColor}, {40, kRed}, {60, kOtherBand}});
    auto image = SolidImage(10, 10, 0); // fully transparent: the face is the bare snapshot
    Show(40, 20, image.get(), skin::kBackNatural);
    ASSERT_EQ(At(10, 10), kParentColor);
    ASSERT_EQ(At(30, 10), kRed);
    skin::SkinControl control;
    control.Attach(window);
    control.SetBounds(std::nullopt, std::nullopt, 80, std::nullopt, true);
    Redraw();
    EXPECT_EQ(At(20, 10), kParentColor);
    EXPECT_EQ(At(50, 10), kRed);
    EXPECT_EQ(At(75, 10), kRed);
    parent.PaintNow();
    EXPECT_EQ(At(50, 10), kOtherBand) << "the next paint takes a fresh snapshot";
}

INSTANTIATE_TEST_SUITE_P(BothPainters, SkinPlacementTest, testing::Values(Painter::Button, Painter::Picture),
                         [](const auto& info) {
                             return info.param == Painter::Button ? "Button" : "Picture";
                         });

// --- the picture box -----------------------------------------------------------------------------

TEST(SkinPicture, TransparentAreasShowTheParentNotTheOldPicture) {
    TestParent parent;
    auto opaque = SolidImage(40, 30, Opaque(kRed));
    auto halfClear = MakeImage(40, 30, [](int x, int) { return x < 20 ? 0u : Opaque(kGreen); });
    skin::SkinPictureBox picture;
    HWND box = picture.Create(parent.get(), 20, 20, 40, 30);
    picture.SetImage(opaque.get());
    Pump();
    ASSERT_EQ(PixelAt(box, 10, 10), kRed);
    picture.SetImage(halfClear.get());
    Pump();
    EXPECT_EQ(PixelAt(box, 10, 10), kParentColor);
    EXPECT_EQ(PixelAt(box, 30, 10), kGreen);
}

TEST(SkinPicture, BytesThatAreNoImageLeaveOnlyTheBackground) {
    TestParent parent;
    auto opaque = SolidImage(40, 30, Opaque(kRed));
    skin::SkinPictureBox picture;
    HWND box = picture.Create(parent.get(), 20, 20, 40, 30);
    picture.SetImage(opaque.get());
    Pump();
    const std::uint8_t junk[] = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    picture.SetImageData(junk);
    Pump();
    EXPECT_EQ(picture.GetProperty(skin::kPropBackImage), 0);
    EXPECT_EQ(PixelAt(box, 10, 10), kParentColor);
    EXPECT_EQ(PixelAt(box, 39, 29), kParentColor);
}

// The static control draws its text at once, outside WM_PAINT, when it is given one, enabled or disabled;
// that text must never show over the picture. A static attached after creation too.
TEST(SkinPicture, TheCaptionIsNeverDrawn) {
    TestParent parent;
    auto halfClear = MakeImage(80, 16, [](int x, int) { return x < 40 ? 0u : 0x8000FF00u; });
    const HWND boxes[] = {skin::SkinPictureBox().Create(parent.get(), 20, 20, 80, 16),
                          CreateWindowExA(0, "Static", "WWWWWWWW", WS_CHILD | WS_VISIBLE, 20, 60, 80, 16,
                                          parent.get(), nullptr, nullptr, nullptr)};
    const auto row = [](HWND box) {
        std::vector<COLORREF> pixels;
        for (int x = 0; x < 80; ++x)
            pixels.push_back(PixelAt(box, x, 8));
        return pixels;
    };
    for (HWND box : boxes) {
        skin::SkinPictureBox picture;
        picture.Attach(box, halfClear.get());
        Pump();
        const auto face = row(box);
        EXPECT_EQ(std::count(face.begin(), face.end(), kParentColor), 40)
            << "the clear half shows the parent";
        SetWindowTextA(box, "WWWWWWWW");
        EXPECT_EQ(row(box), face) << "text set";
        EnableWindow(box, FALSE);
        EXPECT_EQ(row(box), face) << "disabled";
    }
}

TEST(SkinPicture, ClicksReachTheParent) {
    TestParent parent;
    skin::SkinPictureBox picture;
    HWND box = picture.Create(parent.get(), 20, 20, 40, 30);
    SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_FALSE(parent.seen.commands.empty());
    EXPECT_EQ(parent.seen.commands.back(), std::make_pair(box, static_cast<int>(STN_CLICKED)));
}

// --- tooltips and placement ----------------------------------------------------------------------

namespace {

TOOLINFOA ToolOf(HWND control, char* text) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = control;
    tool.lpszText = text;
    SendMessageA(skin::ToolTipWindow(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool));
    return tool;
}

} // namespace

TEST(SkinToolTips, OneSharedWindowOneToolPerControlPlacementBitZeroCentres) {
    TestParent parent;
    skin::SkinControl pointer, centred, odd;
    pointer.Attach(PlainChild(parent.get()));
    centred.Attach(PlainChild(parent.get()));
    odd.Attach(PlainChild(parent.get()));
    pointer.SetToolTip("first");
    HWND tips = skin::ToolTipWindow();
    ASSERT_NE(tips, nullptr);
    pointer.SetToolTip("second", 0);
    centred.SetToolTip("middle", 0);
    odd.SetToolTip("odd", 3);
    EXPECT_EQ(skin::ToolTipWindow(), tips);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 3);

    char text[80] = {};
    TOOLINFOA tool = ToolOf(pointer.Handle(), text);
    EXPECT_STREQ(text, "second");
    EXPECT_FALSE(tool.uFlags & TTF_CENTERTIP) << "a later call does not apply the placement again";
    EXPECT_TRUE(tool.uFlags & TTF_SUBCLASS);
    EXPECT_TRUE(ToolOf(centred.Handle(), text).uFlags & TTF_CENTERTIP);
    EXPECT_FALSE(ToolOf(odd.Handle(), text).uFlags & TTF_CENTERTIP);
    EXPECT_EQ(pointer.GetProperty(skin::kPropToolTips), 1);
}

TEST(SkinBounds, OmittedValuesStayAndZeroCountsAsGiven) {
    TestParent parent;
    skin::SkinControl control;
    HWND child = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 20, 30, 40, parent.get(),
                                 nullptr, nullptr, nullptr);
    control.Attach(child);
    auto bounds = [&] {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&r), 2);
        return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
               "x" + std::to_string(r.bottom - r.top);
    };
    skin::Subclass(child, RecordPosFlags);
    auto lastFlags = [&] { return static_cast<UINT>(skin::GetSkinProp(child, kPosFlagsProp)); };

    control.SetBounds(std::nullopt, std::nullopt, 50);
    EXPECT_EQ(bounds(), "10,20 50x40");
    EXPECT_TRUE(lastFlags() & SWP_NOMOVE);
    control.SetBounds(std::nullopt, 5);
    EXPECT_EQ(bounds(), "10,5 50x40");
    EXPECT_TRUE(lastFlags() & SWP_NOSIZE);
    control.SetBounds();
    EXPECT_EQ(bounds(), "10,5 50x40");
    EXPECT_EQ(lastFlags() & (SWP_NOMOVE | SWP_NOSIZE), static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE));
    control.SetBounds(0, 0, std::nullopt, 0, true);
    EXPECT_EQ(bounds(), "0,0 50x0");
    EXPECT_TRUE(lastFlags() & SWP_NOREDRAW);
}
