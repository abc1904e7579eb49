// Tests that need a process of their own (one that ends, shows a fatal error box, or runs the program's
// whole start-up and end) run this test executable again as a child, with ZEN_CHILD naming the disabled
// test Child.DISABLED_<mode> that the child runs.
#pragma once
#include "app/runtime/process.h"

#include <windows.h>

#include <string>

namespace child_process {

std::string SelfPath();
// The command line that runs this executable as a child in mode.
std::string Command(const char* mode);
// Whether this process is the child of mode.
bool IsChild(const char* mode);
// Starts the child of mode through RunProgram.
app::ProgramRun Start(const char* mode, bool wait, int showMode, DWORD waitLimit = INFINITE);
// Starts the child of mode and returns at once with its process handle, which the caller closes.
HANDLE Launch(const char* mode);

// The message box with caption, of this process or another, once shown, waited for up to wait ms;
// nullptr if none.
HWND FindBox(const char* caption, DWORD wait = 0);
// Presses OK of a box (none: nothing) and returns its text.
std::string AnswerBox(HWND box);

// Time limits grow with ZEN_TIME_SCALE, as in the scenario tests: an emulated machine starts programs
// slowly.
DWORD Scaled(DWORD ms);

} // namespace child_process
