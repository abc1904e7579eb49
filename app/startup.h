// Start-up and the main loop, shared by zentrilo.exe and the instrumented build the tests drive.
#pragma once

namespace app {

// Sets the process up, loads MainWindow and runs the message loop; returns the exit code.
int RunZentrilo();

} // namespace app
