// Loading windows from their definitions, reaching them and their units by name, and closing them.
#pragma once
#include "app/window_defs.h"

namespace app {

struct LoadedWindow;
struct LoadedUnit;

// The private message that CloseWindowAsync posts; the window destroys itself when it arrives.
inline constexpr UINT kWindowCloseRequest = 0x8065;

// Creates the window and its units and fires created, moved and resized; a window that is already
// loaded is only restored or activated. An unowned window starts centred on the screen, an owned one on
// its owner's top-left corner. Returns whether the window exists afterwards.
bool LoadWindow(const WindowDefinition& window, HWND owner = nullptr);
bool IsCreated(const WindowDefinition& window, const char* unit = nullptr);
// The record of a loaded window or unit; ends the program through FatalError when it is not there.
LoadedWindow& RequireWindow(const WindowDefinition& window);
LoadedUnit& RequireUnit(const WindowDefinition& window, const char* unit);
// The handle of a loaded window or unit, required as above.
HWND UnitHandle(const WindowDefinition& window, const char* unit = nullptr);
void RedrawNow(const WindowDefinition& window);
void CloseWindowAsync(const WindowDefinition& window);

} // namespace app
