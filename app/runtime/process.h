// Starting other programs.
#pragma once
#include <windows.h>

namespace app {

// Show modes 1-6 map to SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE and
// SW_MINIMIZE; values outside are clamped.
enum ShowMode : int { kShowHidden = 1, kShowNormal = 2 };

struct ProgramRun {
    bool started = false;
    bool ended = false; // waited for and ended within the limit
    DWORD exitCode = 0; // valid when ended
};

// Starts commandLine with no inherited handles. application names the program file; without it the
// command's first word is searched for. With wait, waits until the program ends or waitLimit passes;
// without, waits at most a second for it to become idle.
ProgramRun RunProgram(const char* commandLine, bool wait, int showMode = kShowNormal,
                      const char* application = nullptr, DWORD waitLimit = INFINITE);

int ShowWindowValue(int showMode);

} // namespace app
