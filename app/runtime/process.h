// Starting other programs.
#pragma once
#include <windows.h>

namespace app {

// Show modes 1-6 map to SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE and
// SW_MINIMIZE; values outside are clamped.
enum ShowMode : int { kShowHidden = 1, kShowNormal = 2 };

struct ProgramRun {
    bool started = false;
    bool ended = false;   // waited for and ended on its own within the limit
    DWORD exitCode = 0;   // valid when ended
    bool stopped = false; // still running at the limit, then ended from here and gone
};

// Starts commandLine with no inherited handles; a console program runs without a console window. application
// names the program file; without it the command's first word is searched for. With wait, waits until the
// program ends or waitLimit passes; a program still running at the limit is ended and waited for, so that
// nothing it does comes after the caller has given up on it. Without wait, waits at most a second for it to
// become idle.
ProgramRun RunProgram(const char* commandLine, bool wait, int showMode = kShowNormal,
                      const char* application = nullptr, DWORD waitLimit = INFINITE);

int ShowWindowValue(int showMode);

} // namespace app
