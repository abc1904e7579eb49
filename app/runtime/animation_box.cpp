#include "app/runtime/animation_box.h"

#include "app/runtime/unit_state.h"
#include "skin/owners.h"
#include "skin/painter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace app {

namespace {

constexpr char kClassName[] = "ZentriloAnimationBox";
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockPeriodMs = 5;
constexpr DWORD kMsPerDelayUnit = 10; // GIF frame delays count hundredths of a second
constexpr UINT kRunStepMessage = WM_USER + 1;
constexpr std::uint32_t kOpaqueAlpha = 0xFF;

struct Frame {
    skin::GpBitmapOwner bitmap;
    DWORD delayMs = 0;
};

struct Sprite {
    int number = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = true;
    std::string tag;
    std::vector<Frame> frames;
    std::size_t current = 0;
    bool playing = false;
    int loops = 0;
    int rounds = 0;
    DWORD extraDelayMs = 0;
    DWORD firstDelayMs = 0; // still owed to the first frame of the current play
    DWORD shownAt = 0;      // GetTickCount when the current frame's time began
};

struct BoxState {
    COLORREF colour = GetSysColor(COLOR_BTNFACE);
    int lastNumber = 0;
    std::vector<Sprite> sprites;
    bool clockRunning = false;
};

using Step = std::function<void(HWND, BoxState&)>;

LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

ATOM BoxClass() {
    static const ATOM atom = RegisterUnitClass(kClassName, BoxProc);
    return atom;
}

bool IsBox(HWND window) {
    return window && GetClassLongPtrA(window, GCW_ATOM) == static_cast<ULONG_PTR>(BoxClass());
}

// A box's state belongs to the thread that created the box. A call from another thread (the apply
// worker) is handed to that thread with SendMessage, so the state is only touched there, between the
// messages it dispatches itself.
void OnBoxThread(HWND box, const Step& step) {
    if (!IsBox(box)) return;
    if (GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) {
        SendMessageA(box, kRunStepMessage, 0, reinterpret_cast<LPARAM>(&step));
        return;
    }
    if (BoxState* state = UnitState<BoxState>(box)) step(box, *state);
}

Sprite* FindSprite(BoxState& state, int number) {
    for (Sprite& sprite : state.sprites)
        if (sprite.number == number) return &sprite;
    return nullptr;
}

// Runs step on the box's thread with the numbered sprite; a sprite that is not there is left alone.
template <typename SpriteStep> void OnSprite(HWND box, int number, const SpriteStep& step) {
    OnBoxThread(box, [&](HWND window, BoxState& state) {
        if (Sprite* sprite = FindSprite(state, number)) step(window, state, *sprite);
    });
}

// Has the sprite's area repainted; a sprite without a picture covers nothing.
void InvalidateSprite(HWND box, const Sprite& sprite) {
    if (sprite.frames.empty()) return;
    const RECT area{sprite.x, sprite.y, sprite.x + sprite.width, sprite.y + sprite.height};
    InvalidateRect(box, &area, FALSE);
}

// Sprites are drawn at their natural size; nearest-neighbour keeps a 1:1 copy exact.
skin::GraphicsOwner GraphicsFor(Gdiplus::GpImage* target) {
    Gdiplus::GpGraphics* raw = nullptr;
    if (gp::GdipGetImageGraphicsContext(target, &raw) != Gdiplus::Ok) return {};
    skin::GraphicsOwner graphics(raw);
    gp::GdipSetInterpolationMode(raw, Gdiplus::InterpolationModeNearestNeighbor);
    gp::GdipSetPixelOffsetMode(raw, Gdiplus::PixelOffsetModeHalf);
    return graphics;
}

// Clears every pixel of the transparent colour to alpha 0.
void KeyOut(Gdiplus::GpBitmap* frame, int width, int height, COLORREF transparent) {
    const Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (gp::GdipBitmapLockBits(frame, &all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                               PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return;
    const Gdiplus::ARGB key = skin::ColorToArgb(transparent, 0);
    auto* row = static_cast<std::uint8_t*>(data.Scan0);
    for (int y = 0; y < height; ++y, row += data.Stride) {
        auto* pixel = reinterpret_cast<Gdiplus::ARGB*>(row);
        for (int x = 0; x < width; ++x)
            if ((pixel[x] & 0x00FFFFFFu) == key) pixel[x] = 0;
    }
    gp::GdipBitmapUnlockBits(frame, &data);
}

// Copies the source's active frame into a bitmap of its own, so that drawing it later is one cheap
// copy that no longer needs the decoder.
skin::GpBitmapOwner RenderFrame(Gdiplus::GpImage* source, int width, int height,
                                std::optional<COLORREF> transparent) {
    Gdiplus::GpBitmap* raw = nullptr;
    if (gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &raw) != Gdiplus::Ok)
        return {};
    skin::GpBitmapOwner frame(raw);
    {
        skin::GraphicsOwner graphics = GraphicsFor(frame.get());
        if (!graphics) return {};
        gp::GdipSetCompositingMode(graphics.get(), Gdiplus::CompositingModeSourceCopy);
        gp::GdipDrawImageRectI(graphics.get(), source, 0, 0, width, height);
    }
    if (transparent) KeyOut(frame.get(), width, height, *transparent);
    return frame;
}

// Frame delays in milliseconds, one per frame; pictures without them get 0.
std::vector<DWORD> FrameDelays(Gdiplus::GpImage* image, UINT frameCount) {
    std::vector<DWORD> delays(frameCount, 0);
    UINT size = 0;
    if (gp::GdipGetPropertyItemSize(image, PropertyTagFrameDelay, &size) != Gdiplus::Ok || size == 0)
        return delays;
    std::vector<std::uint64_t> storage((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(storage.data());
    if (gp::GdipGetPropertyItem(image, PropertyTagFrameDelay, size, item) != Gdiplus::Ok) return delays;
    const auto* values = static_cast<const std::uint32_t*>(item->value);
    const std::size_t count = item->length / sizeof(std::uint32_t);
    for (std::size_t i = 0; i < frameCount && i < count; ++i)
        delays[i] = values[i] * kMsPerDelayUnit;
    return delays;
}

std::vector<Frame> DecodeFrames(images::Bytes bytes, std::optional<COLORREF> transparent, SIZE& size) {
    skin::ImageOwner image(images::DecodeImage(bytes));
    if (!image) return {};
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(image.get(), &width);
    gp::GdipGetImageHeight(image.get(), &height);
    if (width == 0 || height == 0) return {};

    GUID dimension{};
    UINT dimensions = 0, frameCount = 1;
    const bool animated =
        gp::GdipImageGetFrameDimensionsCount(image.get(), &dimensions) == Gdiplus::Ok && dimensions > 0 &&
        gp::GdipImageGetFrameDimensionsList(image.get(), &dimension, 1) == Gdiplus::Ok &&
        gp::GdipImageGetFrameCount(image.get(), &dimension, &frameCount) == Gdiplus::Ok && frameCount > 1;
    if (!animated) frameCount = 1;

    const std::vector<DWORD> delays = FrameDelays(image.get(), frameCount);
    std::vector<Frame> frames;
    for (UINT i = 0; i < frameCount; ++i) {
        if (animated) gp::GdipImageSelectActiveFrame(image.get(), &dimension, i);
        Frame frame{RenderFrame(image.get(), static_cast<int>(width), static_cast<int>(height), transparent),
                    delays[i]};
        if (!frame.bitmap) return {};
        frames.push_back(std::move(frame));
    }
    size = {static_cast<LONG>(width), static_cast<LONG>(height)};
    return frames;
}

// Moves a playing sprite on when its frame's time is up; true when it shows another frame.
bool Advance(Sprite& sprite, DWORD now) {
    if (!sprite.playing || sprite.frames.size() < 2) return false;
    const DWORD hold = sprite.frames[sprite.current].delayMs + sprite.extraDelayMs + sprite.firstDelayMs;
    const DWORD elapsed = now - sprite.shownAt;
    if (elapsed < hold) return false;
    sprite.firstDelayMs = 0;
    // A tick that is only a little late keeps the schedule; after a longer stall the schedule restarts
    // rather than racing through the missed frames.
    sprite.shownAt = elapsed < 2 * hold ? sprite.shownAt + hold : now;
    if (sprite.current + 1 < sprite.frames.size()) {
        ++sprite.current;
        return true;
    }
    ++sprite.rounds;
    if (sprite.loops > 0 && sprite.rounds >= sprite.loops) {
        sprite.playing = false;
        return false;
    }
    sprite.current = 0;
    return true;
}

bool Animates(const Sprite& sprite) {
    return sprite.playing && sprite.visible && sprite.frames.size() > 1;
}

// The clock runs only while the box is shown and one of its sprites is animating: a 5 ms timer that
// has nothing to do still wakes the program two hundred times a second.
void UpdateClock(HWND box, BoxState& state) {
    bool needed = (GetWindowLongPtrA(box, GWL_STYLE) & WS_VISIBLE) != 0;
    if (needed) {
        needed = false;
        for (const Sprite& sprite : state.sprites)
            needed = needed || Animates(sprite);
    }
    if (needed == state.clockRunning) return;
    if (needed)
        SetTimer(box, kClockTimer, kClockPeriodMs, nullptr);
    else
        KillTimer(box, kClockTimer);
    state.clockRunning = needed;
}

void OnClock(HWND box, BoxState& state) {
    const DWORD now = GetTickCount();
    for (Sprite& sprite : state.sprites)
        if (Advance(sprite, now) && sprite.visible) InvalidateSprite(box, sprite);
    UpdateClock(box, state);
}

// Background and sprites in creation order, drawn into the pixels of the off-screen image.
void DrawScene(const BoxState& state, void* pixels, int width, int height) {
    Gdiplus::GpBitmap* raw = nullptr;
    if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                      static_cast<BYTE*>(pixels), &raw) != Gdiplus::Ok)
        return;
    skin::GpBitmapOwner canvas(raw);
    skin::GraphicsOwner graphics = GraphicsFor(canvas.get());
    if (!graphics) return;
    gp::GdipGraphicsClear(graphics.get(), skin::ColorToArgb(state.colour, kOpaqueAlpha));
    for (const Sprite& sprite : state.sprites) {
        if (!sprite.visible || sprite.frames.empty()) continue;
        gp::GdipDrawImageRectI(graphics.get(), sprite.frames[sprite.current].bitmap.get(), sprite.x, sprite.y,
                               sprite.width, sprite.height);
    }
}

void Paint(HWND box, const BoxState& state) {
    skin::PaintDc paint(box);
    RECT client{};
    GetClientRect(box, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as GDI+ expects its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    skin::MemoryDc memory(CreateCompatibleDC(paint.get()));
    skin::BitmapOwner image(CreateDIBSection(paint.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!memory || !image || !pixels) return;
    skin::SelectGuard select(memory.get(), image.get());
    DrawScene(state, pixels, width, height);
    BitBlt(paint.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepUnitState<BoxState>(box, message, lParam);
    BoxState* state = UnitState<BoxState>(box);
    if (!state) return DefWindowProcA(box, message, wParam, lParam);
    switch (message) {
    case WM_WINDOWPOSCHANGED: UpdateClock(box, *state); break;
    case WM_TIMER:
        if (wParam != kClockTimer) break;
        OnClock(box, *state);
        return 0;
    case WM_ERASEBKGND: return 1; // painting covers the whole box
    case WM_PAINT: Paint(box, *state); return 0;
    case kRunStepMessage: (*reinterpret_cast<const Step*>(lParam))(box, *state); return 0;
    }
    return DefWindowProcA(box, message, wParam, lParam);
}

} // namespace

HWND CreateAnimationBox(HWND parent, int left, int top, int width, int height, bool visible, bool tabStop) {
    const DWORD style = WS_CHILD | (visible ? WS_VISIBLE : 0) | (tabStop ? WS_TABSTOP : 0);
    auto* state = new BoxState;
    HWND box = CreateWindowExA(0, MAKEINTATOM(BoxClass()), "", style, left, top, width, height, parent,
                               nullptr, GetModuleHandleA(nullptr), state);
    if (!box) delete state;
    return box;
}

int CreateObject(HWND box, const SpritePrototype& prototype, int x, int y, bool visible, const char* tag) {
    int number = 0;
    OnBoxThread(box, [&](HWND, BoxState& state) {
        Sprite sprite;
        sprite.number = number = ++state.lastNumber;
        sprite.x = x;
        sprite.y = y;
        sprite.width = prototype.width;
        sprite.height = prototype.height;
        sprite.visible = visible;
        sprite.tag = tag ? tag : "";
        state.sprites.push_back(std::move(sprite));
    });
    return number;
}

void SetObjectVisible(HWND box, int sprite, bool visible) {
    OnSprite(box, sprite, [&](HWND window, BoxState& state, Sprite& target) {
        if (target.visible == visible) return;
        target.visible = visible;
        InvalidateSprite(window, target);
        UpdateClock(window, state);
    });
}

void RemoveObject(HWND box, int sprite) {
    OnSprite(box, sprite, [&](HWND window, BoxState& state, Sprite& target) {
        if (target.visible) InvalidateSprite(window, target);
        state.sprites.erase(state.sprites.begin() + (&target - state.sprites.data()));
        UpdateClock(window, state);
    });
}

void SetObjectPicture(HWND box, int sprite, images::Bytes bytes, std::optional<COLORREF> transparent) {
    OnSprite(box, sprite, [&](HWND window, BoxState& state, Sprite& target) {
        if (target.visible) InvalidateSprite(window, target);
        SIZE size{target.width, target.height};
        target.frames = DecodeFrames(bytes, transparent, size);
        target.width = size.cx;
        target.height = size.cy;
        target.current = 0;
        target.shownAt = GetTickCount();
        if (target.visible) InvalidateSprite(window, target);
        UpdateClock(window, state);
    });
}

void PlayObjectAnimation(HWND box, int sprite, int loops, int extraDelay, int firstDelay) {
    OnSprite(box, sprite, [&](HWND window, BoxState& state, Sprite& target) {
        target.playing = true;
        target.loops = loops > 0 ? loops : 0;
        target.rounds = 0;
        target.extraDelayMs = extraDelay > 0 ? static_cast<DWORD>(extraDelay) : 0;
        target.firstDelayMs = firstDelay > 0 ? static_cast<DWORD>(firstDelay) : 0;
        target.current = 0;
        target.shownAt = GetTickCount();
        if (target.visible) InvalidateSprite(window, target);
        UpdateClock(window, state);
    });
}

void SetAnimationBoxColor(HWND box, COLORREF colour) {
    OnBoxThread(box, [&](HWND window, BoxState& state) {
        if (state.colour == colour) return;
        state.colour = colour;
        InvalidateRect(window, nullptr, FALSE);
    });
}

COLORREF AnimationBoxColor(HWND box) {
    COLORREF colour = CLR_INVALID;
    OnBoxThread(box, [&](HWND, BoxState& state) { colour = state.colour; });
    return colour;
}

} // namespace app
