// Closing loaded windows, and the program's end once the last one has gone.
#pragma once
#include "app/window_defs.h"

namespace app {

struct LoadedWindow;

// The private message that CloseWindowAsync posts; the window destroys itself when it arrives.
inline constexpr UINT kWindowCloseRequest = 0x8065;

void CloseWindowAsync(const WindowDefinition& window);
// Frees the record of a window being destroyed; once no loaded window is left, the message loop ends.
void ForgetWindow(HWND hwnd, LoadedWindow& w);

} // namespace app
