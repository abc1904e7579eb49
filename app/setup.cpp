// SetUpMainWindow: loads the overlay, makes MainWindow a skinned layered window and binds the artwork.
#include "app/frame.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "app/options.h"
#include "app/retired_images.h"
#include "app/runtime/focus.h"
#include "app/runtime/owned_windows.h"
#include "app/runtime/unit_lookup.h"
#include "app/runtime/unit_properties.h"
#include "images/catalogue.h"

namespace app {

namespace {
constexpr int kStepPictureLeft = 53, kStepPictureTop = 427, kStepPictureWidth = 530, kStepPictureHeight = 48;
}

void SetUpMainWindow() {
    using images::Art;
    using images::ArtBytes;
    using images::DecodeImage;
    HWND main = UnitHandle(kMainWindow);
    LoadOverlay();
    WriteUnitProperty(kMainWindow, units::kTimer, kPropInterval, kIdleTickInterval);
    g_app.mainSkin.Attach(main);
    g_app.mainSkin.SetBackImageData(ArtBytes(Art::TitleBackground));
    // A re-run after a restore replaces every image the buttons show; the old ones go after the refresh.
    RetiredImages retired;
    CollectOptionImages(retired);
    retired.Collect(UnitHandle(kMainWindow, units::kApply));
    retired.Collect(UnitHandle(kMainWindow, units::kClose));
    // The step display's picture box is made once; a re-run finds it in place. It shows nothing, so it
    // stays hidden, and screen readers find nothing there either.
    if (!g_app.stepPicture.IsAlive()) {
        g_app.stepPicture.Create(main, kStepPictureLeft, kStepPictureTop, kStepPictureWidth,
                                 kStepPictureHeight);
        ShowWindow(g_app.stepPicture.Handle(), SW_HIDE);
    }
    ResetOptions();
    g_app.applySkin.Attach(UnitHandle(kMainWindow, units::kApply), nullptr);
    g_app.applySkin.SetImages(DecodeImage(ArtBytes(Art::ApplyNormal)), DecodeImage(ArtBytes(Art::ApplyHover)),
                              DecodeImage(ArtBytes(Art::ApplyPressed)));
    g_app.closeSkin.Attach(UnitHandle(kMainWindow, units::kClose), nullptr);
    g_app.closeSkin.SetImagesData(ArtBytes(Art::CloseNormal), ArtBytes(Art::CloseHover),
                                  ArtBytes(Art::ClosePressed));
    g_app.mainSkin.Refresh();
    retired.Release();
    WriteUnitProperty(kMainWindow, units::kLogOff, kPropDisabled, 1);
    RaiseOwnedWindows(main); // becoming layered gave MainWindow a new surface
    // A screen reader starts on the selected option, and the keys reach MainWindow at once. A re-run after
    // a restore leaves the focus where the user had it.
    SetInitialFocus(kMainWindow, units::kOption100);
}

} // namespace app
