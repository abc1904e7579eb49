// TimerUnit: a system timer (identifier 1000) on a hidden child window of its own.
#pragma once
#include "app/window_defs.h"

namespace app {

inline constexpr UINT_PTR kUnitTimerId = 1000;

HWND CreateTimerUnit(HWND parent, const UnitDefinition& unit);
// Interval 0 or below stops the timer (a negative value is stored as 0); the current value changes
// nothing; another value restarts it with that period.
void SetTimerInterval(HWND timer, int interval);
int TimerInterval(HWND timer);

} // namespace app
