#include "skin/state_drawing.h"

#include "skin/props.h"

namespace skin {

FitSize FitWithin(int imageWidth, int imageHeight, int boxWidth, int boxHeight) {
    double fw = imageWidth, fh = imageHeight;
    if (imageWidth > boxWidth) {
        fw = boxWidth;
        fh = static_cast<int>(static_cast<double>(imageHeight) * boxWidth / imageWidth);
    }
    if (fh > boxHeight) {
        fw = static_cast<int>(fw * boxHeight / fh);
        fh = boxHeight;
    }
    return {static_cast<int>(fw), static_cast<int>(fh)};
}

Gdiplus::GpImage* StateImage(HWND control, int drawState) {
    const char* key = nullptr;
    switch (drawState) {
    case kStateHover: key = kPropOverImage; break;
    case kStatePressed: key = kPropDownImage; break;
    case kStateDisabled: key = kPropDisableImage; break;
    default: break;
    }
    intptr_t image = key ? GetProp(control, key) : 0;
    if (!image) image = GetProp(control, kPropNormalImage);
    return reinterpret_cast<Gdiplus::GpImage*>(image);
}

} // namespace skin
