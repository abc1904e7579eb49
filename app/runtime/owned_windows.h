// Keeping owned windows above their owner on the screen. The system keeps owned windows above their owner,
// but under Wine a window's X surface can rise above them: when it first becomes layered, when the focus
// moves into it, and when its surface is mapped (at start, after a restore) while one of its units has the
// focus. The last comes a moment after the focus moved, once Wine reads the window system's answer. On
// Windows both calls do nothing.
#pragma once
#include <windows.h>

namespace app {

// Puts the loaded windows that owner owns back on top of it.
void RaiseOwnedWindows(HWND owner);
// Restacks after the focus moved or its window was minimised or restored since the last call, and after
// every message for a short while after that; the message loop calls it after every message.
void KeepOwnedWindowsAbove();

} // namespace app
