// Real windows for the toolkit's tests: a top-level parent that paints known colour bands and records
// what reaches its own procedure, images made pixel by pixel, and pixel reads from window DCs.
#pragma once
#include "skin/owners.h"
#include "tests/support/layered_fixture.h"

#include <functional>
#include <vector>

namespace skintest {

inline constexpr COLORREF kParentColor = RGB(0, 0, 200);

// A column range of the parent's client area painted in one colour; the last band runs to the edge.
struct Band {
    int left;
    COLORREF color;
};

class TestParent {
  public:
    // Shown without activation at (x, y) on the screen, painted in bands (one colour by default).
    explicit TestParent(int x = 100, int y = 100, int width = 400, int height = 300);
    ~TestParent();
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND get() const { return window_; }
    void SetBands(std::vector<Band> bands);
    // Paints the parent and its children now, the parent first.
    void PaintNow() const;

    // Runs for each WM_COMMAND reaching the parent's own procedure, as an application's handler would.
    std::function<void(HWND control, int code)> onCommand;

    // What the parent's own procedure saw.
    struct Seen {
        std::vector<std::pair<HWND, int>> commands; // control, notification code
        int notifies = 0;
        int styleChanges = 0;
    };
    Seen seen;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc) const;

    HWND window_ = nullptr;
    std::vector<Band> bands_{{0, kParentColor}};
};

// What the parent's own procedure answers to colour messages, to tell forwarding apart.
inline constexpr LRESULT kParentColorAnswer = 0x5A5A;

// Dispatches every waiting message of this thread; PumpFor keeps at it for about the given time.
inline void Pump() {
    layered_test::PumpMessages();
}
using layered_test::PumpFor;

// Reads one pixel of a window through its window DC (window coordinates).
COLORREF PixelAt(HWND window, int x, int y);
// Covers a window's pixels with a marker colour, so that a later redraw shows.
void Scribble(HWND window, COLORREF marker);

// A 32-bit ARGB image with the pixels of argb(x, y), owned by the test.
skin::GpBitmapOwner MakeImage(int width, int height, const std::function<Gdiplus::ARGB(int x, int y)>& argb);
skin::GpBitmapOwner SolidImage(int width, int height, Gdiplus::ARGB argb);

// ARGB of an opaque COLORREF, so expectations can be written once.
constexpr Gdiplus::ARGB Opaque(COLORREF c) {
    return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

} // namespace skintest
