// Painting a skinned child's face into the frame of its layered parent, from the child's window
// properties alone: the image for its kind and state, and for text fields a fill, a border and the text.
#pragma once
#include "images/gdiplus.h"

#include <cstdint>
#include <string>

namespace skin {

// The "no colour" value of the colour properties.
inline constexpr std::uint32_t kNoColour = 0xFFFFFFFF;

// A 0x00BBGGRR colour and a separate alpha as a GDI+ ARGB value.
Gdiplus::ARGB ColorToArgb(std::uint32_t colour, std::uint32_t alpha);

// A text field's text, as the system hands it to a wide call: what the user typed is in the system's own
// code page, not the program's. Empty when it has none.
std::wstring ReadWindowText(HWND window);

// What PaintChildFace did for one child, so that the compositor need not ask the child again.
struct ChildFace {
    int kind = 0;                      // as read
    bool painted = false;              // anything was drawn: where it overlaps another, stacking matters
    Gdiplus::GpImage* image = nullptr; // the image drawn, if any
};

// Paints child's face onto graphics, which covers the whole frame of window.
ChildFace PaintChildFace(HWND window, HWND child, Gdiplus::GpGraphics* graphics);

} // namespace skin
