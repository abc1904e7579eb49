// The event handlers bound in the window definitions. None takes arguments.
#pragma once

namespace app {

void SetUpMainWindow();  // MainWindow created, and again after a restore from minimised
void FollowMainWindow(); // MainWindow moved
void KeyOverlay();       // OverlayWindow created
void OnCloseClicked();
void OnOption100();
void OnOption125();
void OnOption150();
void OnApplyClicked();
void OnTimerTick();
void OnLogOff();

} // namespace app
