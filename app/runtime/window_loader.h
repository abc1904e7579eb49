// Loading a window from its definition: the window, its units, then its events.
#pragma once
#include "app/window_defs.h"

namespace app {

// Creates the window and its units and fires created, moved and resized; a window that is already
// loaded is only restored or activated. An unowned window starts centred on the screen, an owned one on
// its owner's top-left corner. Returns whether the window exists afterwards.
bool LoadWindow(const WindowDefinition& window, HWND owner = nullptr);

} // namespace app
