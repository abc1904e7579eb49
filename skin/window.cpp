#include "skin/window.h"

#include "skin/caret.h"
#include "skin/painter.h"
#include "skin/props.h"

#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace skin {
namespace {

constexpr BYTE kOpaqueConstantAlpha = 255;
constexpr int kFrameBitsPerPixel = 32;
constexpr int kFrameBytesPerPixel = kFrameBitsPerPixel / 8;
constexpr INT kFrameFormat = PixelFormat32bppARGB;
// Marks the window a FrameCache entry was made for, so that an entry outliving its window is never
// taken for a later window that got the same handle.
constexpr char kPropFrameStamp[] = "PngControl_FrameStamp";

long g_framesPushed = 0;
FILETIME g_firstPush{}; // zero until the first frame is on screen

// What a frame is made from, in a form that can be checked without asking the window server: the count
// of skin property writes (images, states, placements, kinds and backgrounds all change through them),
// the window's size, and each skinned child's place. Decoded artwork never changes its pixels. Text fields
// have more inputs (text, colours, font, caret), so a window with one has no key and every tick composes.
using ChildPlaces = std::optional<std::vector<std::pair<HWND, RECT>>>;

struct FaceKey {
    bool valid = false;
    long writes = 0;
    SIZE size{};
    std::vector<std::pair<HWND, RECT>> children;
};

// What is kept per skinned window between compositions: the background already scaled to the window
// (drawing it is most of a frame's cost); the frame composed on each tick, whose memory stays mapped
// (fresh memory for a whole frame costs more in page faults than the composition itself); and the
// pixels of the frame last pushed, so that a tick on which nothing changed pushes nothing.
struct FrameCache {
    intptr_t stamp = 0;
    Gdiplus::GpImage* backSource = nullptr;
    SIZE backSize{};
    GpBitmapOwner background;
    GpBitmapOwner frame;
    SIZE frameSize{};
    SIZE pushedSize{};
    std::vector<BYTE> pushed; // empty when what the screen shows is not known
    FaceKey key;              // what the last composed frame was made from
};

// Never destroyed: kept bitmaps must not be disposed after GDI+ has shut down at exit.
std::map<HWND, FrameCache>& Caches() {
    static auto* caches = new std::map<HWND, FrameCache>;
    return *caches;
}

FrameCache& CacheFor(HWND window) {
    static intptr_t lastStamp = 0;
    auto& caches = Caches();
    auto found = caches.find(window);
    if (found != caches.end() && found->second.stamp == GetProp(window, kPropFrameStamp))
        return found->second;
    std::erase_if(caches, [](const auto& entry) { return !IsWindow(entry.first); });
    FrameCache& cache = caches[window];
    cache = FrameCache{};
    cache.stamp = ++lastStamp;
    SetProp(window, kPropFrameStamp, cache.stamp);
    return cache;
}

void ForgetPushed(HWND window) {
    auto& caches = Caches();
    if (auto found = caches.find(window); found != caches.end()) {
        found->second.pushed.clear();
        found->second.key = FaceKey{};
    }
}

SIZE WindowSize(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return {};
    return {rect.right - rect.left, rect.bottom - rect.top};
}

Gdiplus::GpImage* BackImage(HWND window) {
    return reinterpret_cast<Gdiplus::GpImage*>(GetProp(window, kPropBackImage));
}

GpBitmapOwner NewFrame(SIZE size) {
    Gdiplus::GpBitmap* bitmap = nullptr;
    gp::GdipCreateBitmapFromScan0(size.cx, size.cy, 0, kFrameFormat, nullptr, &bitmap);
    return GpBitmapOwner(bitmap);
}

GraphicsOwner GraphicsOn(Gdiplus::GpImage* image) {
    Gdiplus::GpGraphics* graphics = nullptr;
    gp::GdipGetImageGraphicsContext(image, &graphics);
    return GraphicsOwner(graphics);
}

// The background stretched over the whole frame, its size read back from the frame itself.
void DrawBackground(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* frame, Gdiplus::GpImage* back) {
    Gdiplus::REAL width = 0, height = 0;
    gp::GdipGetImageDimension(frame, &width, &height);
    gp::GdipDrawImageRect(graphics, back, 0, 0, width, height);
}

// Direct children from the top of the Z order down, so lower children land on top. Hidden children
// are painted too; grandchildren are not visited. The painter itself skips children of no kind. Returns
// the skinned children and their places, for the frame's key; no list when a text field is among them.
ChildPlaces PaintChildren(HWND window, Gdiplus::GpGraphics* graphics) {
    ChildPlaces children(std::in_place);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int kind = PaintChildFace(window, child, graphics);
        if (kind == kKindTextField) children.reset();
        if (kind == kKindNone || !children) continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        children->emplace_back(child, rect);
    }
    return children;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// True when nothing the frame on screen was made from has changed since.
bool Unchanged(const FrameCache& cache, long writes, SIZE size) {
    const FaceKey& key = cache.key;
    if (!key.valid || cache.pushed.empty() || key.writes != writes || key.size.cx != size.cx ||
        key.size.cy != size.cy)
        return false;
    for (const auto& [child, place] : key.children) {
        RECT rect{};
        if (!IsWindow(child) || !GetWindowRect(child, &rect) || !SameRect(rect, place)) return false;
    }
    return true;
}

// The frame's pixels locked as 32 bpp ARGB for the lifetime of the object.
class LockedBits {
  public:
    LockedBits(Gdiplus::GpBitmap* bitmap, UINT mode) : bitmap_(bitmap) {
        UINT width = 0, height = 0;
        gp::GdipGetImageWidth(bitmap, &width);
        gp::GdipGetImageHeight(bitmap, &height);
        const Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
        locked_ = gp::GdipBitmapLockBits(bitmap, &whole, mode, kFrameFormat, &data_) == Gdiplus::Ok;
    }
    ~LockedBits() {
        if (locked_) gp::GdipBitmapUnlockBits(bitmap_, &data_);
    }
    LockedBits(const LockedBits&) = delete;
    LockedBits& operator=(const LockedBits&) = delete;

    explicit operator bool() const { return locked_; }
    UINT height() const { return data_.Height; }
    size_t rowBytes() const { return size_t{data_.Width} * kFrameBytesPerPixel; }
    BYTE* row(UINT y) const {
        return static_cast<BYTE*>(data_.Scan0) + static_cast<ptrdiff_t>(y) * data_.Stride;
    }

  private:
    Gdiplus::GpBitmap* bitmap_;
    Gdiplus::BitmapData data_{};
    bool locked_ = false;
};

// The background scaled to size, re-made only when the image or the size changes. Background images
// are decoded artwork and never change their pixels, so the handle identifies the picture.
Gdiplus::GpBitmap* KeptBackground(FrameCache& cache, Gdiplus::GpImage* back, SIZE size) {
    if (cache.background && cache.backSource == back && cache.backSize.cx == size.cx &&
        cache.backSize.cy == size.cy)
        return cache.background.get();
    GpBitmapOwner scaled = NewFrame(size);
    if (scaled) {
        GraphicsOwner graphics = GraphicsOn(scaled.get());
        DrawBackground(graphics.get(), scaled.get(), back);
    }
    cache.background = std::move(scaled);
    cache.backSource = back;
    cache.backSize = size;
    return cache.background.get();
}

void CopyPixels(Gdiplus::GpBitmap* from, Gdiplus::GpBitmap* to) {
    LockedBits source(from, Gdiplus::ImageLockModeRead);
    LockedBits target(to, Gdiplus::ImageLockModeWrite);
    if (!source || !target) return;
    for (UINT y = 0; y < target.height(); ++y)
        std::memcpy(target.row(y), source.row(y), target.rowBytes());
}

void ClearPixels(Gdiplus::GpBitmap* bitmap) {
    LockedBits target(bitmap, Gdiplus::ImageLockModeWrite);
    if (!target) return;
    for (UINT y = 0; y < target.height(); ++y)
        std::memset(target.row(y), 0, target.rowBytes());
}

GpBitmapOwner CopyOf(Gdiplus::GpBitmap* frame, SIZE size) {
    GpBitmapOwner copy = NewFrame(size);
    if (copy) CopyPixels(frame, copy.get());
    return copy;
}

// Composes into the window's kept frame, which starts each time exactly as a new bitmap would after the
// background was drawn on it.
// Composes into the window's kept frame; children receives what PaintChildren reports.
Gdiplus::GpBitmap* ComposeKept(HWND window, FrameCache& cache, SIZE size, ChildPlaces& children) {
    if (!cache.frame || cache.frameSize.cx != size.cx || cache.frameSize.cy != size.cy) {
        cache.frame = NewFrame(size);
        cache.frameSize = size;
    }
    Gdiplus::GpBitmap* frame = cache.frame.get();
    if (!frame) return nullptr;
    Gdiplus::GpBitmap* scaled = nullptr;
    if (Gdiplus::GpImage* back = BackImage(window)) scaled = KeptBackground(cache, back, size);
    if (scaled)
        CopyPixels(scaled, frame);
    else
        ClearPixels(frame);
    GraphicsOwner graphics = GraphicsOn(frame);
    children = PaintChildren(window, graphics.get());
    return frame;
}

bool SameAsPushed(const FrameCache& cache, Gdiplus::GpBitmap* frame, SIZE size) {
    if (cache.pushed.empty() || cache.pushedSize.cx != size.cx || cache.pushedSize.cy != size.cy)
        return false;
    LockedBits bits(frame, Gdiplus::ImageLockModeRead);
    if (!bits) return false;
    const BYTE* kept = cache.pushed.data();
    for (UINT y = 0; y < bits.height(); ++y, kept += bits.rowBytes())
        if (std::memcmp(bits.row(y), kept, bits.rowBytes()) != 0) return false;
    return true;
}

void RememberPushed(FrameCache& cache, Gdiplus::GpBitmap* frame, SIZE size) {
    LockedBits bits(frame, Gdiplus::ImageLockModeRead);
    if (!bits) return;
    cache.pushed.resize(bits.rowBytes() * bits.height());
    BYTE* kept = cache.pushed.data();
    for (UINT y = 0; y < bits.height(); ++y, kept += bits.rowBytes())
        std::memcpy(kept, bits.row(y), bits.rowBytes());
    cache.pushedSize = size;
}

} // namespace

bool SkinWindow::Attach(HWND window) {
    if (!IsWindow(window)) return false;
    window_ = window;
    // The whole extended style is replaced: the window is drawn only through pushed frames.
    SetWindowLongPtrA(window, GWL_EXSTYLE, WS_EX_LAYERED);
    // Changing the extended style may drop what the screen showed, so the next frame is pushed whatever.
    ForgetPushed(window);
    CreateCaret(window, nullptr, 1, kCaretHeight);
    if (GetProp(window, kPropTime)) return true;
    SetTimer(window, kCaretTimerId, kCaretBlinkMs, CaretBlinkProc);
    SetProp(window, kPropTime, kCaretTimerId);
    return true;
}

bool SkinWindow::SetBackImage(Gdiplus::GpImage* image) {
    if (!IsWindow(window_) || !image) return false;
    // The set-up of the main window runs again on every restore: without this each run would leak the
    // previous background picture.
    Gdiplus::GpImage* previous = BackImage(window_);
    if (previous && previous != image) gp::GdipDisposeImage(previous);
    SetProp(window_, kPropBackImage, reinterpret_cast<intptr_t>(image));
    // A new image may reuse the address of the one just disposed.
    auto& caches = Caches();
    if (auto found = caches.find(window_); found != caches.end()) {
        found->second.background.reset();
        found->second.key = FaceKey{};
    }
    ComposeWindow(window_, false);
    return true;
}

bool SkinWindow::SetBackImageData(images::Bytes bytes) {
    return SetBackImage(images::DecodeImage(bytes));
}

void SkinWindow::SetBounds(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                           std::optional<int> height, bool noRedraw) {
    UINT flags = SWP_NOZORDER;
    if (noRedraw) flags |= SWP_NOREDRAW;
    if (!left && !top) flags |= SWP_NOMOVE;
    if (!width && !height) flags |= SWP_NOSIZE;
    RECT rect{};
    GetWindowRect(window_, &rect);
    SetWindowPos(window_, nullptr, left.value_or(rect.left), top.value_or(rect.top),
                 width.value_or(rect.right - rect.left), height.value_or(rect.bottom - rect.top), flags);
}

GpBitmapOwner ComposeWindow(HWND window, bool keep) {
    const SIZE size = WindowSize(window);
    if (size.cx <= 0 || size.cy <= 0) return {};
    FrameCache& cache = CacheFor(window);
    // A tick on which nothing the face is made from has changed composes nothing: the frame on the
    // screen is the one it would make.
    const long writes = SkinWrites();
    if (!keep && Unchanged(cache, writes, size)) return {};
    ChildPlaces children;
    Gdiplus::GpBitmap* frame = ComposeKept(window, cache, size, children);
    if (!frame) return {};
    if (keep) return CopyOf(frame, size);

    if (!SameAsPushed(cache, frame, size)) {
        PushFrame(window, frame, false);
        RememberPushed(cache, frame, size);
    }
    cache.key = children ? FaceKey{true, writes, size, std::move(*children)} : FaceKey{};
    CaretTracker& caret = Caret();
    if (window == caret.host) caret.lastFrame = CopyOf(frame, size);
    return {};
}

GpBitmapOwner ComposeWindowAfresh(HWND window) {
    const SIZE size = WindowSize(window);
    if (size.cx <= 0 || size.cy <= 0) return {};
    GpBitmapOwner frame = NewFrame(size);
    if (!frame) return frame;
    GraphicsOwner graphics = GraphicsOn(frame.get());
    if (Gdiplus::GpImage* back = BackImage(window)) DrawBackground(graphics.get(), frame.get(), back);
    PaintChildren(window, graphics.get());
    return frame;
}

void PushFrame(HWND window, Gdiplus::GpImage* image, bool drawCaret) {
    if (!IsWindow(window) || !image) return;
    // Whoever pushes here changes the screen behind ComposeWindow's back.
    ForgetPushed(window);
    SIZE size = WindowSize(window);

    WindowDc windowDc(window);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kFrameBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(size.cx) * kFrameBytesPerPixel * size.cy;
    MemoryDc memory(CreateCompatibleDC(windowDc.get()));
    BitmapOwner dib(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    SelectGuard select(memory.get(), dib.get());
    {
        Gdiplus::GpGraphics* graphics = nullptr;
        gp::GdipCreateFromHDC(memory.get(), &graphics);
        GraphicsOwner owner(graphics);
        UINT width = 0, height = 0;
        gp::GdipGetImageWidth(image, &width);
        gp::GdipGetImageHeight(image, &height);
        gp::GdipDrawImageRectI(graphics, image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
        if (drawCaret) DrawCaretLine(window, Caret().child, graphics);
    }
    POINT sourceOrigin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, kOpaqueConstantAlpha, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, windowDc.get(), nullptr, &size, memory.get(), &sourceOrigin, 0, &blend,
                        ULW_ALPHA);
    if (g_framesPushed == 0) GetSystemTimePreciseAsFileTime(&g_firstPush);
    ++g_framesPushed;
}

long FramesPushed() {
    return g_framesPushed;
}

FILETIME FirstPushTime() {
    return g_firstPush;
}

} // namespace skin
