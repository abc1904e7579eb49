// The handlers that keep the two top-level windows together.
#include "app/frame.h"

#include "app/globals.h"
#include "app/handlers.h"
#include "app/runtime/owned_windows.h"
#include "app/runtime/unit_lookup.h"
#include "app/runtime/unit_properties.h"
#include "app/runtime/window_closing.h"
#include "app/runtime/window_loader.h"

namespace app {

namespace {
constexpr BYTE kOverlayAlpha = 200; // no effect: only the colour key is asked for
}

void KeyOverlay() {
    const int colour = RgbColor(120, 120, 120);
    WriteUnitProperty(kOverlayWindow, nullptr, kPropBackColour, colour);
    HWND overlay = UnitHandle(kOverlayWindow);
    SetWindowLongPtrA(overlay, GWL_EXSTYLE, GetWindowLongPtrA(overlay, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(overlay, static_cast<COLORREF>(colour), kOverlayAlpha, LWA_COLORKEY);
}

void LoadOverlay() {
    HWND main = UnitHandle(kMainWindow);
    // On a re-run of the set-up after a restore the overlay is usually there already; loading it again
    // would activate it and take the keys from MainWindow.
    if (!IsCreated(kOverlayWindow)) LoadWindow(kOverlayWindow, main);
    WriteUnitProperty(kOverlayWindow, units::kWarning, kPropVisible, 0);
    RaiseOwnedWindows(main);
}

void FollowMainWindow() {
    // A restore from minimised brings the choosing state back; once Apply has started there is no
    // choosing state to go back to, and its Apply button may already be gone.
    if (g_app.wasMinimized == 1 && !g_app.applyStarted) SetUpMainWindow();
    g_app.wasMinimized = ReadUnitProperty(kMainWindow, nullptr, kPropWindowState) == kStateMinimised ? 1 : 0;
    if (IsCreated(kOverlayWindow))
        MoveUnit(kOverlayWindow, nullptr, ReadUnitProperty(kMainWindow, nullptr, kPropLeft),
                 ReadUnitProperty(kMainWindow, nullptr, kPropTop));
}

void OnCloseClicked() {
    CloseWindowAsync(kMainWindow);
}

} // namespace app
