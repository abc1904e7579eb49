// The picture box: a platform "Static" window showing one image with per-pixel alpha over whatever
// its parent paints beneath it. It has no states; clicks still reach the parent as STN_CLICKED.
#pragma once
#include "images/decode.h"
#include "skin/control.h"

namespace skin {

class SkinPictureBox : public SkinControl {
  public:
    // A new visible picture box, attached without an image; 0 when the window cannot be created.
    HWND Create(HWND parent, int x, int y, int width, int height);
    bool Attach(HWND picture) override { return Attach(picture, nullptr); }
    // Without an image nothing is repainted.
    virtual bool Attach(HWND picture, images::ImageHandle image);
    // Shows image (0: none) after the parent has repainted the area beneath. The caller keeps
    // ownership of both the new and the replaced image.
    virtual void SetImage(images::ImageHandle image) const;
    // Bytes that are not an image clear the picture.
    void SetImageData(images::Bytes bytes) const;
    // Takes effect at the next paint.
    void SetBackType(int backType) const;
};

LRESULT CALLBACK PictureProc(HWND picture, UINT message, WPARAM wParam, LPARAM lParam);
// WM_PAINT of a picture box: the picture over the kept snapshot, or over a fresh one when none is kept.
void PaintPicture(HWND picture);
// Composes the picture over the snapshot on dc, or on the window DC when dc is 0.
void DrawPictureFace(HWND picture, HDC dc = nullptr);

} // namespace skin
