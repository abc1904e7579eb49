// Alerts a loaded window raises for screen readers to speak at once. An alert belongs to its window but is
// no object of the window's tree: nothing reads it as something on screen.
#pragma once
#include "app/window_defs.h"

namespace app {

struct LoadedWindow;

// Raises an alert of the window: title, then text.
void Announce(const WindowDefinition& window, const char* title, const char* text);

// The answer to WM_GETOBJECT of a loaded window when the request is for the latest alert it raised; 0 for
// any other request (the window procedure then goes on as usual).
LRESULT AnswerAlert(const LoadedWindow& window, WPARAM wParam, LPARAM lParam);

} // namespace app
