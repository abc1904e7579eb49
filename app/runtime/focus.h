// Where the keyboard focus of a loaded window goes: the unit it starts on, the unit it comes back to when
// the window is activated again, the window itself holding it while it waits for a unit that takes input,
// and the order Tab visits the units in.
#pragma once
#include "app/window_defs.h"

#include <vector>

namespace app {

struct LoadedWindow;
struct LoadedUnit;

// What a window remembers of its focus while it is not active.
struct FocusMemory {
    // The unit that had the focus when the window last lost it (to another window, a message box, a
    // minimise), or that is to take it first.
    const char* unit = nullptr;
    // A unit lost its input while it had the focus, and the user has not moved the focus since: the window
    // holds it for the next unit that takes input again.
    bool waiting = false;
    bool restoring = false; // a restore from minimised is under way; the focus comes back once it is over
};

// The unit that takes the focus when the window is first active: at once if it is active now, else when
// it is activated. Once the focus has been somewhere in the window, it stays where the user left it.
void SetInitialFocus(const WindowDefinition& window, const char* unit);

// WM_ACTIVATE of a loaded window: the focus is remembered when the window loses the activation and handed
// back when it is activated again. Returns whether the focus was placed, so that the system's default
// placement (on the window itself) is skipped.
bool FocusPlacedOnActivation(LoadedWindow& w, WPARAM wParam);
// WM_SYSCOMMAND of a loaded window, carried out by the system, with the focus remembered before a minimise
// and handed back after a restore; returns the system's answer.
LRESULT CarryOutSystemCommand(LoadedWindow& w, WPARAM command, LPARAM lParam);

// Enables or disables a unit. A unit that stops taking input while it has the focus gives it to its window,
// which keeps Esc and Tab working (the system would leave the focus nowhere); the next unit of the window
// that takes input again gets it, unless the user has moved the focus meanwhile. After Apply that is Log
// off, after a failed Apply it is Apply itself, so a keyboard user goes on where the face goes on.
void SetUnitEnabled(LoadedWindow& w, const LoadedUnit& unit, bool enabled);

// The units that can take the focus now, in the order Tab visits them.
std::vector<HWND> TabStops(LoadedWindow& w);

} // namespace app
