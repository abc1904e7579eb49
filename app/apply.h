// Apply: writes the chosen scale into the registry with the system's reg.exe, on a worker thread.
#pragma once
#include "app/runtime/process.h"

#include <windows.h>

#include <string>

namespace app {

// Runs one registry command and waits for it, at most kRegistryCommandLimit. The edge tests replace.
using ProgramRunner = ProgramRun (*)(const char* application, const char* commandLine, int showMode);
ProgramRunner
SetProgramRunner(ProgramRunner runner); // returns the previous one; nullptr restores the real one

// The longest a reg.exe run may take before Apply reports it as failed.
inline constexpr DWORD kRegistryCommandLimit = 30000;
inline constexpr int kSettleDelay = 2000; // ms between the registry writes and the finished state

// The worker's routine: the strip, the two reg.exe runs, the pause, then the finished state (or, when a
// run fails, an error message and back to choosing).
DWORD WINAPI ApplySequence(void*);

// Called once the windows are gone, and when the session ends while the registry is written: a close
// during Apply ends the windows at once, but not the registry writes the worker has started, each bounded
// by kRegistryCommandLimit. Returns when the worker has ended (at once when there is none), so that the
// process never ends with one value written and the other not.
void LetApplyFinish();

// The reg.exe of the system folder; a bare name would also find one planted beside the program. Empty when
// the system folder cannot be read.
std::string SystemRegExe();

} // namespace app
