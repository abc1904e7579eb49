// The program's message loop.
#pragma once

namespace app {

// Runs the message loop until WM_QUIT, which is posted once no loaded window is left.
int RunMessageLoop();
// Whether the loop has been entered: only then does the last window's end post WM_QUIT.
bool MessageLoopEntered();

} // namespace app
