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

// The focus survives the window's losing the activation (to another program, a message box, a
// minimise): RememberFocus, when the window is deactivated, notes the unit that has the focus, and
// RestoreFocus, when it is activated again, hands the focus back to it or, when that unit is gone or takes
// no input now, to the next one in Tab order. While the window holds the focus for a unit to come (see
// SetUnitEnabled) it takes it back itself. Returns false when it has no unit to hand the focus to.
void RememberFocus(LoadedWindow& w);
bool RestoreFocus(LoadedWindow& w);

// WM_CHANGEUISTATE and WM_UPDATEUISTATE of a loaded window: applies the change to the window's UI state
// and, when it changed anything, hands it on to the units, whose faces show or hide their cues.
void ChangeUiState(LoadedWindow& w, WPARAM change);

} // namespace app
