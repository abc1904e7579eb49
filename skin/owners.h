// Small owner objects for GDI, GDI+ and kernel handles: each releases its handle when it goes out of
// scope, so no return path can leak one. Every owner counts the live objects of its kind; tests and
// the benchmark read the counts, since Wine's own resource counters are stubs.
#pragma once
#include "images/gdiplus.h"

#include <utility>

namespace skin {

enum class OwnedKind {
    Dc,
    GdiObject,
    Graphics,
    GpBrush,
    GpPen,
    GpImage,
    GpFont,
    GpStringFormat,
    GpFontFamily,
    Kernel,
    Count
};

long LiveObjects(OwnedKind kind);
long LiveGdiObjects();  // device contexts and GDI objects
long LiveGdipObjects(); // graphics, brushes, pens, images, fonts, formats, families

namespace detail {
void CountUp(OwnedKind kind);
void CountDown(OwnedKind kind);
} // namespace detail

// Owns one handle of type T, released by Release(handle). Move-only.
template <typename T, auto Release, OwnedKind Kind> class Owner {
  public:
    Owner() = default;
    explicit Owner(T handle) : handle_(handle) {
        if (handle_) detail::CountUp(Kind);
    }
    ~Owner() { reset(); }
    Owner(Owner&& other) noexcept : handle_(std::exchange(other.handle_, T{})) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, T{});
        }
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != T{}; }

    // Gives the handle up without releasing it: it stays alive, and stays counted, with its new owner.
    T release() { return std::exchange(handle_, T{}); }

    // Takes over a handle that an earlier Owner gave up with release() (already counted).
    static Owner AdoptReleased(T handle) {
        Owner owner;
        owner.handle_ = handle;
        return owner;
    }

    void reset(T handle = T{}) {
        if (handle_) {
            Release(handle_);
            detail::CountDown(Kind);
        }
        handle_ = handle;
        if (handle_) detail::CountUp(Kind);
    }

  private:
    T handle_{};
};

namespace detail {
inline void DeleteDc(HDC dc) {
    DeleteDC(dc);
}
inline void DeleteGdiObject(HGDIOBJ object) {
    DeleteObject(object);
}
inline void DeleteGraphics(Gdiplus::GpGraphics* g) {
    gp::GdipDeleteGraphics(g);
}
inline void DeleteGpBrush(Gdiplus::GpBrush* b) {
    gp::GdipDeleteBrush(b);
}
inline void DeleteGpPen(Gdiplus::GpPen* p) {
    gp::GdipDeletePen(p);
}
inline void DisposeImage(Gdiplus::GpImage* i) {
    gp::GdipDisposeImage(i);
}
inline void DeleteGpFont(Gdiplus::GpFont* f) {
    gp::GdipDeleteFont(f);
}
inline void DeleteGpFormat(Gdiplus::GpStringFormat* f) {
    gp::GdipDeleteStringFormat(f);
}
inline void DeleteGpFamily(Gdiplus::GpFontFamily* f) {
    gp::GdipDeleteFontFamily(f);
}
inline void CloseKernel(HANDLE h) {
    CloseHandle(h);
}
} // namespace detail

using MemoryDc = Owner<HDC, detail::DeleteDc, OwnedKind::Dc>;
using BitmapOwner = Owner<HBITMAP, detail::DeleteGdiObject, OwnedKind::GdiObject>;
using BrushOwner = Owner<HBRUSH, detail::DeleteGdiObject, OwnedKind::GdiObject>;
using FontOwner = Owner<HFONT, detail::DeleteGdiObject, OwnedKind::GdiObject>;
using RegionOwner = Owner<HRGN, detail::DeleteGdiObject, OwnedKind::GdiObject>;
using GraphicsOwner = Owner<Gdiplus::GpGraphics*, detail::DeleteGraphics, OwnedKind::Graphics>;
using GpSolidFillOwner = Owner<Gdiplus::GpSolidFill*, detail::DeleteGpBrush, OwnedKind::GpBrush>;
using GpPenOwner = Owner<Gdiplus::GpPen*, detail::DeleteGpPen, OwnedKind::GpPen>;
using ImageOwner = Owner<Gdiplus::GpImage*, detail::DisposeImage, OwnedKind::GpImage>;
using GpBitmapOwner = Owner<Gdiplus::GpBitmap*, detail::DisposeImage, OwnedKind::GpImage>;
using GpFontOwner = Owner<Gdiplus::GpFont*, detail::DeleteGpFont, OwnedKind::GpFont>;
using GpFormatOwner = Owner<Gdiplus::GpStringFormat*, detail::DeleteGpFormat, OwnedKind::GpStringFormat>;
using GpFamilyOwner = Owner<Gdiplus::GpFontFamily*, detail::DeleteGpFamily, OwnedKind::GpFontFamily>;
using KernelHandle = Owner<HANDLE, detail::CloseKernel, OwnedKind::Kernel>;

// A DC borrowed from a window (GetWindowDC or GetDC), given back with ReleaseDC.
class WindowDc {
  public:
    enum Area { Whole, Client };
    explicit WindowDc(HWND window, Area area = Whole)
        : window_(window), dc_(area == Whole ? GetWindowDC(window) : GetDC(window)) {
        if (dc_) detail::CountUp(OwnedKind::Dc);
    }
    ~WindowDc() {
        if (dc_) {
            ReleaseDC(window_, dc_);
            detail::CountDown(OwnedKind::Dc);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return paint_.hdc; }
    const RECT& dirty() const { return paint_.rcPaint; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace skin
