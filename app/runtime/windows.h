// Loading windows from their definitions, reaching them and their units by name, and closing them.
#pragma once
#include "app/window_defs.h"

namespace app {

// The private message that CloseWindowAsync posts; the window destroys itself when it arrives.
inline constexpr UINT kWindowCloseRequest = 0x8065;

// Creates the window and its units and fires created, moved and resized; a window that is already
// loaded is only restored or activated. An unowned window starts centred on the screen, an owned one on
// its owner's top-left corner. Returns whether the window exists afterwards.
bool LoadWindow(const WindowDefinition& window, HWND owner = nullptr);
bool IsCreated(const WindowDefinition& window, const char* unit = nullptr);
// The handle of a loaded window or unit; ends the program through FatalError when it is not there.
HWND UnitHandle(const WindowDefinition& window, const char* unit = nullptr);
void RedrawNow(const WindowDefinition& window);
void CloseWindowAsync(const WindowDefinition& window);

// The unit that takes the focus when the window is first active: at once if it is active now, else when
// it is activated. Once the focus has been somewhere in the window, it stays where the user left it.
void SetInitialFocus(const WindowDefinition& window, const char* unit);

// Raises an alert that screen readers speak at once: title, then text. The alert belongs to the window
// but is no object of its tree: nothing reads it as something on screen.
void Announce(const WindowDefinition& window, const char* title, const char* text);

} // namespace app
