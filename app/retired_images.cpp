#include "app/retired_images.h"

#include "skin/props.h"

#include <algorithm>

namespace app {
namespace {

constexpr const char* kImageKeys[] = {skin::kPropNormalImage, skin::kPropOverImage, skin::kPropDownImage,
                                      skin::kPropDisableImage};

bool ShownBy(HWND control, Gdiplus::GpImage* image) {
    if (!IsWindow(control)) return false;
    return std::any_of(std::begin(kImageKeys), std::end(kImageKeys), [&](const char* key) {
        return skin::GetSkinProp(control, key) == reinterpret_cast<intptr_t>(image);
    });
}

} // namespace

void RetiredImages::Collect(HWND control) {
    controls_.push_back(control);
    for (const char* key : kImageKeys)
        if (auto* image = reinterpret_cast<Gdiplus::GpImage*>(skin::GetSkinProp(control, key)))
            if (std::find(images_.begin(), images_.end(), image) == images_.end()) images_.push_back(image);
}

void RetiredImages::Release() {
    for (Gdiplus::GpImage* image : images_)
        if (std::none_of(controls_.begin(), controls_.end(), [&](HWND c) { return ShownBy(c, image); }))
            gp::GdipDisposeImage(image);
    images_.clear();
    controls_.clear();
}

} // namespace app
