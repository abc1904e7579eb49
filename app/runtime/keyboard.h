// The keys every loaded window understands wherever the focus is among its units, and the focus cues
// they bring up.
#pragma once
#include <windows.h>

namespace app {

// Handles msg when it is one of those keys and returns true; the message loop then drops it.
bool HandleWindowKeys(const MSG& msg);

struct LoadedWindow;

// A window starts with its focus cues hidden, until the keyboard is first used to move the focus.
inline constexpr UINT kCuesHiddenUiState = UISF_HIDEFOCUS | UISF_HIDEACCEL;

// WM_CHANGEUISTATE and WM_UPDATEUISTATE of a loaded window: applies the change to the window's UI state
// and, when it changed anything, hands it on to the units, whose faces show or hide their cues.
void ChangeUiState(LoadedWindow& w, WPARAM change);

} // namespace app
