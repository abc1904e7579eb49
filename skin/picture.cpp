#include "skin/picture.h"

#include "skin/owners.h"
#include "skin/props.h"
#include "skin/state_drawing.h"
#include "skin/words.h"

namespace skin {
namespace {

constexpr char kPictureText[] = "Tivra真彩控件.图片框";
// A text static paints its text at once, outside WM_PAINT, when it is given a text, enabled or disabled,
// over the picture and into the next snapshot. Owner-drawn, it paints nothing itself on any of these (it
// asks its parent with WM_DRAWITEM), so the picture box's text is never shown.
constexpr LONG_PTR kDrawsNothing = SS_OWNERDRAW;

} // namespace

HWND SkinPictureBox::Create(HWND parent, int x, int y, int width, int height) {
    HWND picture = CreateWindowExA(WS_EX_TRANSPARENT, "Static", kPictureText,
                                   WS_CHILD | WS_VISIBLE | SS_NOTIFY | kDrawsNothing, x, y, width, height,
                                   parent, nullptr, nullptr, nullptr);
    if (picture) Attach(picture, nullptr);
    return picture;
}

bool SkinPictureBox::Attach(HWND picture, images::ImageHandle image) {
    if (!SkinControl::Attach(picture)) return false;
    SetSkinProp(picture, kPropType, kKindPicture);
    ModifyStyle(picture, SS_TYPEMASK, kDrawsNothing);
    SetWindowWords(picture, kPictureText);
    Subclass(picture, PictureProc);
    if (image) SetImage(image);
    return true;
}

void SkinPictureBox::SetImage(images::ImageHandle image) const {
    SetProperty(kPropBackImage, reinterpret_cast<intptr_t>(image));
    RefreshThroughParent(window_);
}

void SkinPictureBox::SetImageData(images::Bytes bytes) const {
    SetImage(images::DecodeImage(bytes));
}

void SkinPictureBox::SetBackType(int backType) const {
    SetProperty(kPropBackType, backType);
}

LRESULT CALLBACK PictureProc(HWND picture, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintPicture(picture); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_NCDESTROY: {
        LRESULT result = CallOldProc(picture, message, wParam, lParam);
        ReleaseSnapshot(picture);
        return result;
    }
    default: return CallOldProc(picture, message, wParam, lParam);
    }
}

void PaintPicture(HWND picture) {
    PaintDc paint(picture);
    KeptSnapshot(picture, paint.get());
    DrawPictureFace(picture, paint.get());
}

void DrawPictureFace(HWND picture, HDC dc) {
    ComposeFace(picture, reinterpret_cast<Gdiplus::GpImage*>(GetSkinProp(picture, kPropBackImage)), dc);
}

} // namespace skin
