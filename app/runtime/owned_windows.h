// Keeping owned windows above their owner on the screen. The system keeps owned windows above their owner,
// but under Wine a window's X surface can rise above them: when it first becomes layered, and when the
// focus moves into it.
#pragma once
#include <windows.h>

namespace app {

// Puts the loaded windows that owner owns back on top of it.
void RaiseOwnedWindows(HWND owner);
// Restacks after a focus change since the last call; the message loop calls it after every message.
void KeepOwnedWindowsAbove();

} // namespace app
