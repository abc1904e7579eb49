// The images the application replaces on its skinned controls. The toolkit leaves their ownership to the
// caller, so the application collects what a control shows before giving it new images and releases
// the old ones once a recomposition has put the new ones on screen.
#pragma once
#include "skin/owners.h"

#include <vector>

namespace app {

class RetiredImages {
  public:
    RetiredImages() = default;
    RetiredImages(const RetiredImages&) = delete;
    RetiredImages& operator=(const RetiredImages&) = delete;
    ~RetiredImages() { Release(); }

    // Remembers the images control shows now (normal, hover, pressed, disabled).
    void Collect(HWND control);
    // Disposes the collected images that none of the collected controls shows any more. Call it after
    // the recomposition that replaced them.
    void Release();

  private:
    std::vector<HWND> controls_;
    std::vector<Gdiplus::GpImage*> images_;
};

} // namespace app
