// Drawing a skinned control's face over a snapshot of what its parent painted beneath it.
#pragma once
#include "images/gdiplus.h"

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

// WM_PAINT of an image button: the face over the kept snapshot, or over a fresh one when none is kept.
void PaintButton(HWND control);
// Replaces the control's cache bitmap with what dc shows now; the property owns the new bitmap.
HBITMAP SnapshotBackground(HWND control, HDC dc);
// The snapshot the control keeps, or a fresh one from its paint DC when it keeps none: at its first paint
// and after its parent has painted over it. A control repainting alone (common controls 6 invalidates a
// button on hover, press and leave) finds its own previous face on screen, which must not become its
// background.
HBITMAP KeptSnapshot(HWND control, HDC paintDc);
// Deletes the cache bitmap of a control that goes away.
void ReleaseSnapshot(HWND control);
// Called as a parent begins to paint: every skinned child with a snapshot under the parent's update
// region drops it, and its whole area is repainted, parent first, so that it takes a complete new one.
void ForgetSnapshotsUnder(HWND parent);
// Composes the state image over the snapshot on dc, or on the control's window DC when dc is 0.
// Draws nothing before the control's first paint.
void DrawFace(HWND control, HDC dc = nullptr);
// The same composition with any image (0: the bare snapshot).
void ComposeFace(HWND control, Gdiplus::GpImage* image, HDC dc);

} // namespace skin
