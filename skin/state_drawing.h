// Drawing a skinned control's face over a snapshot of what its parent painted beneath it.
#pragma once
#include "skin/gdiplus.h"

namespace skin {

struct FitSize {
    int width;
    int height;
    bool operator==(const FitSize&) const = default;
};

// Image placement inside a control, stored under kPropBackType.
enum BackType : int { kBackNatural = 0, kBackStretch = 1, kBackFit = 2 };

// The toolkit's one shrink-to-fit rule: never enlarges, keeps the aspect up to truncation.
FitSize FitWithin(int imageWidth, int imageHeight, int boxWidth, int boxHeight);

// The state a button shows when its input asks for wanted: a disabled button keeps its disabled face
// whatever arrives late (a leave, or the button-up whose click handler disabled it); only enabling it
// changes the face again.
int ShownState(HWND button, int wanted);

// The image for a draw state, falling back to the normal image (which may be 0).
Gdiplus::GpImage* StateImage(HWND control, int drawState);

// WM_PAINT of an image button: a fresh snapshot, then the face.
void PaintButton(HWND control);
// Replaces the control's cache bitmap with what dc shows now; the property owns the new bitmap.
HBITMAP SnapshotBackground(HWND control, HDC dc);
// Deletes the cache bitmap of a control that goes away.
void ReleaseSnapshot(HWND control);
// Composes the state image over the snapshot on dc, or on the control's window DC when dc is 0.
// Draws nothing before the control's first paint.
void DrawFace(HWND control, HDC dc = nullptr);
// The same composition with any image (0: the bare snapshot).
void ComposeFace(HWND control, Gdiplus::GpImage* image, HDC dc);

} // namespace skin
