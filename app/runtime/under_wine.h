// Whether the program runs under Wine rather than on Windows: the one place that decides the steps only
// Wine needs and that would do harm on Windows.
// - Only Wine's window-system driver lets a surface rise above the windows it owns; Windows keeps owned
//   windows above their owner itself, and there a restack would only move them for nothing, each move
//   telling accessibility clients of a new order (owned_windows.cpp).
// - Wine 8 tells accessibility clients of a focus only when it came from another window, never of one
//   that came from nowhere (an activation, a restore); Windows tells of every one, so raising it by hand
//   there would be heard twice (focus.cpp).
#pragma once

namespace app {

bool RunningUnderWine();
// Makes RunningUnderWine() answer false under Wine too, so that tests run the paths Windows takes.
void TakeWindowsPaths(bool take);

} // namespace app
