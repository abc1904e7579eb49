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
    bool deferred = false; // a load or a restore is under way: the focus is placed once it is over
};

// The unit that takes the focus when the window is first active: at once if it is active now, else when
// it is activated. Once the focus has been somewhere in the window, it stays where the user left it.
void SetInitialFocus(const WindowDefinition& window, const char* unit);

// Notes the unit that has the focus now, to hand it back at the next activation. A focus that is nowhere,
// or on the window itself, leaves what was noted before as it is.
void RememberFocus(LoadedWindow& w);
// Gives the focus to the unit noted last (or the next one in Tab order that takes input); returns false,
// doing nothing, when the window has no unit to hand it to.
bool RestoreFocus(LoadedWindow& w);
// While a window is loaded or restored from minimised the system focuses the window itself, as it activates
// it and as the restore ends, and a unit takes the focus from it a moment later: two focus changes, each
// told to screen readers. Between these two calls activations leave the focus alone, and it is placed once,
// when the load or restore is over: on the unit it goes back to, else on the window.
void DeferFocus(LoadedWindow& w);
void PlaceFocus(LoadedWindow& w);

// Refuses, for as long as it lives, the focus the system gives a window itself as a restore from minimised
// ends; the restore's own activation is left alone by DeferFocus.
class WindowFocusRefused {
  public:
    explicit WindowFocusRefused(HWND window);
    ~WindowFocusRefused();
    WindowFocusRefused(const WindowFocusRefused&) = delete;
    WindowFocusRefused& operator=(const WindowFocusRefused&) = delete;

  private:
    HHOOK hook_;
};

// A window whose focus waits for the next unit that takes input (see SetUnitEnabled) gives it to unit
// instead, when it is next activated: after a message box, straight to where the user goes on.
void ReturnWaitingFocusTo(const WindowDefinition& window, const char* unit);

// Enables or disables a unit. A unit that stops taking input while it has the focus gives it to its window,
// which keeps Esc and Tab working (the system would leave the focus nowhere); the next unit of the window
// that takes input again gets it, unless the user has moved the focus meanwhile. After Apply that is Log
// off, after a failed Apply it is Apply itself, so a keyboard user goes on where the face goes on.
void SetUnitEnabled(LoadedWindow& w, const LoadedUnit& unit, bool enabled);

// The units that can take the focus now, in the order Tab visits them.
std::vector<HWND> TabStops(LoadedWindow& w);

} // namespace app
