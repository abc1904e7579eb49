// Reaching loaded windows and their units by name.
#pragma once
#include "app/window_defs.h"

namespace app {

struct LoadedWindow;
struct LoadedUnit;

bool IsCreated(const WindowDefinition& window, const char* unit = nullptr);
// The record of a loaded window or unit; ends the program through FatalError when it is not there.
LoadedWindow& RequireWindow(const WindowDefinition& window);
LoadedUnit& RequireUnit(const WindowDefinition& window, const char* unit);
// The handle of a loaded window or unit, required as above.
HWND UnitHandle(const WindowDefinition& window, const char* unit = nullptr);
void RedrawNow(const WindowDefinition& window);

} // namespace app
