// The three scale options and their radio marks.
#pragma once

namespace app {

inline constexpr int kIdleTickInterval = 1000; // ms between recompositions before Apply
inline constexpr int kBusyTickInterval = 10;   // ms between recompositions from Apply on

// Selects 100 % and marks the three buttons to match, whatever was selected before.
void ResetOptions();

// The LogPixels value of the selected option, testing the flags in the order 100 %, 125 %, 150 %;
// 0 when none is set.
int SelectedLogPixels();

} // namespace app
