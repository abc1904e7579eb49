// Drawing a skinned control's face over a snapshot of what its parent painted beneath it.
#pragma once
#include "skin/gdiplus.h"

namespace skin {

struct FitSize {
    int width;
    int height;
    bool operator==(const FitSize&) const = default;
};

// The toolkit's one shrink-to-fit rule: never enlarges, keeps the aspect up to truncation.
FitSize FitWithin(int imageWidth, int imageHeight, int boxWidth, int boxHeight);

// The image for a draw state, falling back to the normal image (which may be 0).
Gdiplus::GpImage* StateImage(HWND control, int drawState);

void PaintButton(HWND control);
HBITMAP SnapshotBackground(HWND control, HDC dc);
// Composes the face on dc, or on the control's window DC when dc is 0.
void DrawFace(HWND control, HDC dc = nullptr);

} // namespace skin
