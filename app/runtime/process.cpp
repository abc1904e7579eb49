#include "app/runtime/process.h"

#include "skin/owners.h"

#include <algorithm>
#include <string>

namespace app {

namespace {
constexpr DWORD kInputIdleWait = 1000;
constexpr DWORD kEndWait = 5000; // an ended process is gone within moments; past this it is stuck

// Whether the process is gone; one that ended on its own just after the limit is gone too.
bool EndAndWait(HANDLE process) {
    TerminateProcess(process, 1);
    return WaitForSingleObject(process, kEndWait) == WAIT_OBJECT_0;
}
} // namespace

int ShowWindowValue(int showMode) {
    static constexpr int kShowValues[] = {SW_HIDE,          SW_SHOWNORMAL,     SW_SHOWMINIMIZED,
                                          SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE};
    return kShowValues[std::clamp(showMode, 1, 6) - 1];
}

ProgramRun RunProgram(const char* commandLine, bool wait, int showMode, const char* application,
                      DWORD waitLimit) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(ShowWindowValue(showMode));
    PROCESS_INFORMATION info{};
    std::string line = commandLine ? commandLine : ""; // CreateProcessA may write into its command line
    ProgramRun run;
    // A console program (reg.exe) gets no console window at all: a hidden one may still be shown, or put on
    // the taskbar, by the console host of newer Windows. Any other program ignores the flag and is shown
    // as the show mode says.
    if (!CreateProcessA(application, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return run;
    skin::KernelHandle process(info.hProcess), thread(info.hThread);
    run.started = true;
    if (!wait) {
        WaitForInputIdle(process.get(), kInputIdleWait);
        return run;
    }
    if (WaitForSingleObject(process.get(), waitLimit) == WAIT_OBJECT_0) {
        run.ended = true;
        GetExitCodeProcess(process.get(), &run.exitCode);
    } else {
        run.stopped = EndAndWait(process.get());
    }
    return run;
}

} // namespace app
