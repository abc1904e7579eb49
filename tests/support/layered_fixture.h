// Helpers for tests of layered windows: top-level windows and skinned children made by hand, images
// with known pixels, and pixels read back from frames and from the screen.
#pragma once
#include "skin/owners.h"

#include <cstdint>
#include <ostream>
#include <vector>

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

namespace layered_test {

// A frameless top-level window of the given screen rectangle, destroyed with the object.
class TopWindow {
  public:
    TopWindow(int left, int top, int width, int height, bool visible = true);
    ~TopWindow();
    TopWindow(const TopWindow&) = delete;
    TopWindow& operator=(const TopWindow&) = delete;
    HWND get() const { return window_; }

  private:
    HWND window_;
};

// A child window of a platform class ("Button", "Edit", "Static"...) with its kind property set.
HWND MakeChild(HWND parent, const char* windowClass, int x, int y, int width, int height, int kind,
               const char* text = "");

// A w x h 32 bpp ARGB bitmap filled with one colour.
skin::GpBitmapOwner SolidImage(int width, int height, Gdiplus::ARGB colour);
// A bitmap whose left half is one colour and right half another.
skin::GpBitmapOwner SplitImage(int width, int height, Gdiplus::ARGB left, Gdiplus::ARGB right);

// Stores an image in a pointer-sized property.
void SetImageProp(HWND window, const char* key, Gdiplus::GpImage* image);

Gdiplus::ARGB PixelAt(Gdiplus::GpBitmap* frame, int x, int y);
// The frame's pixels as 32 bpp ARGB rows, no padding.
std::vector<std::uint32_t> FramePixels(Gdiplus::GpBitmap* frame);

// The bounding box of the pixels of frame inside area whose colour is exactly colour; empty when none.
RECT BoundsOfColour(Gdiplus::GpBitmap* frame, const RECT& area, Gdiplus::ARGB colour);

// Screen pixels (0x00RRGGBB) of a screen rectangle, row by row.
std::vector<std::uint32_t> ScreenPixels(const RECT& area);
std::uint32_t ScreenPixel(int x, int y);
// How many pixels of the screen rectangle differ from frame as the display shows a layered frame: its
// colours weighted by their alpha, as if over black (one step of rounding allowed).
int ScreenMismatches(const RECT& area, Gdiplus::GpBitmap* frame);

// Handles every queued message of this thread.
void PumpMessages();
// Handles messages for about the given time.
void PumpFor(DWORD milliseconds);

} // namespace layered_test
