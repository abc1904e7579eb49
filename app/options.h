// The three scale options and their radio marks.
#pragma once

namespace app {

class RetiredImages;

inline constexpr int kIdleTickInterval = 1000; // ms between recompositions before Apply
inline constexpr int kBusyTickInterval = 10;   // ms between recompositions from Apply on

// Selects 100 % and marks the three buttons to match, whatever was selected before.
void ResetOptions();

// Collects the marks the three option buttons show, before they are replaced.
void CollectOptionImages(RetiredImages& retired);

// The LogPixels value of the selected option, testing the flags in the order 100 %, 125 %, 150 %;
// 0 when none is set.
int SelectedLogPixels();

} // namespace app
