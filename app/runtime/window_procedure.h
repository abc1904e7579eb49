// The window procedure of loaded windows: clicks reach their units' handlers, activation and restore hand
// the focus back, and a window finds its record from its handle.
#pragma once
#include "app/window_defs.h"

namespace app {

struct LoadedWindow;

// The class of every loaded window, registered at first use.
ATOM WindowClass();
// The record of a loaded window's handle; nullptr for any other window.
LoadedWindow* RecordOf(HWND hwnd);
// Runs an event handler of a definition, if it has one.
void FireHandler(Handler handler);

} // namespace app
