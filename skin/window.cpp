#include "skin/window.h"

#include "skin/caret.h"
#include "skin/control.h"
#include "skin/painter.h"
#include "skin/props.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace skin {
namespace {

constexpr BYTE kOpaqueConstantAlpha = 255;
constexpr int kFrameBitsPerPixel = 32;
constexpr int kFrameBytesPerPixel = kFrameBitsPerPixel / 8;
constexpr INT kFrameFormat = PixelFormat32bppARGB;
constexpr UINT_PTR kFrameCacheSubclass = 1;
constexpr char kPropFrameCache[] = "PngControl_FrameCache";

long g_framesPushed = 0;
FILETIME g_firstPush{}; // zero until the first frame is on screen
// Moves at every toolkit property write; each window's cache remembers where it stood at the last write
// to the window or one of its children.
long g_writeMark = 0;

// What the walk that painted a frame saw of the children.
struct PaintedChildren {
    // False when a face has inputs beyond the window's properties and places: a text field (text,
    // colours, font, caret) or an image of several frames (the one shown can change).
    bool keyable = true;
    std::vector<std::pair<HWND, RECT>> places; // every skinned child
    std::vector<HWND> stacked; // painting children that overlap another, from the top of the Z order down
};

// What a frame is made from, in a form that can be checked without asking the window server: the mark
// of the last write to the window's skin or its children's (images, states, placements, kinds and
// backgrounds all change through writes), the window's size, each skinned child's place, and the order
// of the children whose faces overlap. Decoded artwork never changes its pixels.
struct FaceKey {
    bool valid = false;
    long writeMark = 0;
    SIZE size{};
    std::vector<std::pair<HWND, RECT>> places;
    std::vector<HWND> stacked;
};

// What is kept per skinned window between compositions: the background already scaled to the window
// (drawing it is most of a frame's cost); the frame composed on each tick, whose memory stays mapped
// (fresh memory for a whole frame costs more in page faults than the composition itself); and the
// pixels of the frame last pushed, so that a tick on which nothing changed pushes nothing.
struct FrameCache {
    long writeMark = 0;  // g_writeMark at the last write to the window's skin or its children's
    long walkedMark = 0; // writeMark when Refresh last walked the children
    Gdiplus::GpImage* backSource = nullptr;
    SIZE backSize{};
    GpBitmapOwner background;
    GpBitmapOwner frame;
    SIZE frameSize{};
    SIZE pushedSize{};
    std::vector<BYTE> pushed; // empty when what the screen shows is not known
    FaceKey key;              // what the last composed frame was made from
};

// A window's cache lives with the window: made at its first composition, found through a property (set past
// the property store: it is no change of the skin), freed when the window is destroyed.
LRESULT CALLBACK FrameCacheProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR cache) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, FrameCacheProc, id);
        RemovePropA(window, kPropFrameCache);
        delete reinterpret_cast<FrameCache*>(cache);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

FrameCache* FoundCache(HWND window) {
    return reinterpret_cast<FrameCache*>(GetSkinProp(window, kPropFrameCache));
}

// nullptr only when the window cannot carry one (it is gone, or belongs to another thread).
FrameCache* CacheFor(HWND window) {
    if (FrameCache* found = FoundCache(window)) return found;
    auto cache = std::make_unique<FrameCache>();
    if (!SetWindowSubclass(window, FrameCacheProc, kFrameCacheSubclass,
                           reinterpret_cast<DWORD_PTR>(cache.get())))
        return nullptr;
    SetPropA(window, kPropFrameCache, cache.get());
    // Writes made before a window's first composition concern no kept frame.
    cache->writeMark = ++g_writeMark;
    return cache.release();
}

void ForgetPushed(HWND window) {
    if (FrameCache* cache = FoundCache(window)) {
        cache->pushed.clear();
        cache->key = FaceKey{};
    }
}

Gdiplus::GpImage* BackImage(HWND window) {
    return reinterpret_cast<Gdiplus::GpImage*>(GetSkinProp(window, kPropBackImage));
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

bool Overlap(const RECT& a, const RECT& b) {
    RECT both{};
    return IntersectRect(&both, &a, &b) != FALSE;
}

// Direct children from the top of the Z order down, so lower children land on top. Hidden children
// are painted too; grandchildren are not visited. The painter itself skips children of no kind.
PaintedChildren PaintChildren(HWND window, Gdiplus::GpGraphics* graphics) {
    PaintedChildren seen;
    std::vector<std::pair<HWND, RECT>> painting;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const ChildFace face = PaintChildFace(window, child, graphics);
        if (face.kind == kKindNone) continue;
        if (face.kind == kKindTextField || (face.image && images::HasSeveralFrames(face.image)))
            seen.keyable = false;
        RECT rect{};
        GetWindowRect(child, &rect);
        seen.places.emplace_back(child, rect);
        if (face.painted) painting.emplace_back(child, rect);
    }
    for (const auto& [child, rect] : painting) {
        const auto overlaps = [&](const auto& other) {
            return other.first != child && Overlap(rect, other.second);
        };
        if (std::any_of(painting.begin(), painting.end(), overlaps)) seen.stacked.push_back(child);
    }
    return seen;
}

// True when the children whose faces overlap still lie in the Z order they were painted in. Only the
// stretch of the Z order from the first of them to the last is walked: each step is a request to the
// window server under Wine.
bool SameStacking(const std::vector<HWND>& stacked) {
    size_t found = 1;
    for (HWND child = stacked.empty() ? nullptr : stacked.front(); child && found < stacked.size();) {
        child = GetWindow(child, GW_HWNDNEXT);
        if (child == stacked[found]) ++found;
    }
    return found >= stacked.size();
}

// True when nothing the frame on screen was made from has changed since.
bool Unchanged(const FrameCache& cache, SIZE size) {
    const FaceKey& key = cache.key;
    if (!key.valid || cache.pushed.empty() || key.writeMark != cache.writeMark || key.size.cx != size.cx ||
        key.size.cy != size.cy)
        return false;
    for (const auto& [child, place] : key.places) {
        RECT rect{};
        if (!IsWindow(child) || !GetWindowRect(child, &rect) || !EqualRect(&rect, &place)) return false;
    }
    return SameStacking(key.stacked);
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
// background was drawn on it; children receives what PaintChildren reports.
Gdiplus::GpBitmap* ComposeKept(HWND window, FrameCache& cache, SIZE size, PaintedChildren& children) {
    if (!cache.frame || cache.frameSize.cx != size.cx || cache.frameSize.cy != size.cy) {
        cache.frame = NewFrame(size);
        cache.frameSize = size;
    }
    Gdiplus::GpBitmap* frame = cache.frame.get();
    if (!frame) return nullptr;
    Gdiplus::GpBitmap* scaled = nullptr;
    bool animatedBack = false;
    if (Gdiplus::GpImage* back = BackImage(window)) {
        // The frame a background of several frames shows may have changed: it is scaled afresh each time.
        animatedBack = images::HasSeveralFrames(back);
        if (animatedBack) cache.background.reset();
        scaled = KeptBackground(cache, back, size);
    }
    if (scaled)
        CopyPixels(scaled, frame);
    else
        ClearPixels(frame);
    GraphicsOwner graphics = GraphicsOn(frame);
    children = PaintChildren(window, graphics.get());
    if (animatedBack) children.keyable = false;
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

// ComposeWindow with the window's cache found (nullptr: none could be had).
GpBitmapOwner Compose(HWND window, FrameCache* kept, bool keep) {
    const SIZE size = WindowSize(window);
    if (!kept || size.cx <= 0 || size.cy <= 0) return {};
    FrameCache& cache = *kept;
    // A tick on which nothing the face is made from has changed composes nothing: the frame on the
    // screen is the one it would make.
    if (!keep && Unchanged(cache, size)) return {};
    const long writeMark = cache.writeMark;
    PaintedChildren children;
    Gdiplus::GpBitmap* frame = ComposeKept(window, cache, size, children);
    if (!frame) return {};
    if (keep) return CopyOf(frame, size);

    // A frame the system refused is not on screen: the next tick composes and pushes it again.
    if (!SameAsPushed(cache, frame, size) && PushFrame(window, frame, false))
        RememberPushed(cache, frame, size);
    cache.key = children.keyable
                    ? FaceKey{true, writeMark, size, std::move(children.places), std::move(children.stacked)}
                    : FaceKey{};
    CaretTracker& caret = Caret();
    if (window == caret.host) caret.lastFrame = CopyOf(frame, size);
    return {};
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
    if (GetSkinProp(window, kPropTime)) return true;
    SetTimer(window, kCaretTimerId, kCaretBlinkMs, CaretBlinkProc);
    SetSkinProp(window, kPropTime, kCaretTimerId);
    return true;
}

bool SkinWindow::SetBackImage(Gdiplus::GpImage* image) {
    if (!IsWindow(window_) || !image) return false;
    // The set-up of the main window runs again on every restore: without this each run would leak the
    // previous background picture.
    Gdiplus::GpImage* previous = BackImage(window_);
    if (previous && previous != image) gp::GdipDisposeImage(previous);
    SetSkinProp(window_, kPropBackImage, reinterpret_cast<intptr_t>(image));
    ComposeWindow(window_, false);
    return true;
}

bool SkinWindow::SetBackImageData(images::Bytes bytes) {
    return SetBackImage(images::DecodeImage(bytes));
}

void SkinWindow::SetBounds(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                           std::optional<int> height, bool noRedraw) {
    SetWindowBounds(window_, left, top, width, height, noRedraw);
}

GpBitmapOwner ComposeWindow(HWND window, bool keep) {
    return Compose(window, CacheFor(window), keep);
}

void ComposeAfterWalk(HWND window, void (*walk)(HWND window)) {
    FrameCache* cache = CacheFor(window);
    if (!cache || cache->walkedMark != cache->writeMark) walk(window);
    if (cache) cache->walkedMark = cache->writeMark;
    Compose(window, cache, false);
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

bool PushFrame(HWND window, Gdiplus::GpImage* image, bool drawCaret) {
    if (!IsWindow(window) || !image) return false;
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
    if (!UpdateLayeredWindow(window, windowDc.get(), nullptr, &size, memory.get(), &sourceOrigin, 0, &blend,
                             ULW_ALPHA))
        return false;
    if (g_framesPushed == 0) GetSystemTimePreciseAsFileTime(&g_firstPush);
    ++g_framesPushed;
    return true;
}

// A write to the window or to one of its children may change the window's face; a background written
// directly may be a new picture at the address of the one the kept scaled copy was made from.
void NoteSkinWrite(HWND written, const char* key) {
    ++g_writeMark;
    if (FrameCache* own = FoundCache(written)) {
        own->writeMark = g_writeMark;
        if (std::strcmp(key, kPropBackImage) == 0) own->background.reset();
    }
    if (FrameCache* parent = FoundCache(GetAncestor(written, GA_PARENT))) parent->writeMark = g_writeMark;
}

long FramesPushed() {
    return g_framesPushed;
}

FILETIME FirstPushTime() {
    return g_firstPush;
}

} // namespace skin
