// zentrilo_probe.exe: the real program with its two edges (the program runner Apply uses and the final
// log-off call) replaced as the environment asks, each call written to a log the scenario tests read.
//   ZEN_PROBE_LOG      file the calls are appended to
//   ZEN_PROBE_RUNNER   real (default) | fail-start | fail-start-once (only the first run) | exit:N
//                      (pretend the run ended with N) | slow:MS (wait MS, then run for real)
//   ZEN_PROBE_LIMIT    the longest a real run may take, in ms, instead of the program's own limit
// The log-off call is always replaced: it is logged and never reaches the system. A message-only
// window answers the questions of probe_queries.h: frames pushed so far and live GDI and GDI+ objects.
// Once the first frame is on screen, the log gets "first-frame ms=N": N milliseconds from the creation of
// the process to that frame.
#include "app/apply.h"
#include "app/runtime/shutdown.h"
#include "app/startup.h"
#include "skin/owners.h"
#include "skin/window.h"
#include "tests/probe/probe_queries.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr UINT_PTR kFirstFrameTimer = 1;
constexpr UINT kFirstFrameCheckMs = 10; // the first frame is pushed during start-up, before the loop runs

std::mutex g_logLock;

void Log(const std::string& line) {
    const char* path = std::getenv("ZEN_PROBE_LOG");
    if (!path) return;
    std::lock_guard<std::mutex> lock(g_logLock);
    if (FILE* f = std::fopen(path, "ab")) {
        std::fprintf(f, "%lu %s\n", GetTickCount(), line.c_str());
        std::fclose(f);
    }
}

std::string RunnerMode() {
    const char* mode = std::getenv("ZEN_PROBE_RUNNER");
    return mode ? mode : "real";
}

DWORD WaitLimit() {
    const char* limit = std::getenv("ZEN_PROBE_LIMIT");
    return limit ? static_cast<DWORD>(std::atoi(limit)) : app::kRegistryCommandLimit;
}

app::ProgramRun ProbeRunner(const char* application, const char* commandLine, int showMode) {
    Log(std::string("run-start show=") + std::to_string(showMode) + " app=" + application +
        " cmd=" + commandLine);
    static int runs = 0;
    const std::string mode = RunnerMode();
    app::ProgramRun run;
    if (mode == "fail-start" || (mode == "fail-start-once" && runs++ == 0)) {
        run.started = false;
    } else if (mode.rfind("exit:", 0) == 0) {
        run = {true, true, static_cast<DWORD>(std::atoi(mode.c_str() + 5))};
    } else {
        if (mode.rfind("slow:", 0) == 0) Sleep(static_cast<DWORD>(std::atoi(mode.c_str() + 5)));
        run = app::RunProgram(commandLine, true, showMode, application, WaitLimit());
    }
    Log("run-end started=" + std::to_string(run.started) + " ended=" + std::to_string(run.ended) +
        " exit=" + std::to_string(run.exitCode) + " stopped=" + std::to_string(run.stopped));
    return run;
}

BOOL ProbeExitWindows(UINT flags, DWORD reason) {
    char line[64];
    std::snprintf(line, sizeof line, "logoff flags=0x%x reason=%lu", flags, reason);
    Log(line);
    return TRUE;
}

ULONGLONG Ticks(FILETIME time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Logs the time from process creation to the first frame once there is one; returns whether it did.
bool LogFirstFrame() {
    const FILETIME pushed = skin::FirstPushTime();
    if (Ticks(pushed) == 0) return false;
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    constexpr ULONGLONG kTicksPerMs = 10000; // FILETIME counts 100 ns
    Log("first-frame ms=" + std::to_string((Ticks(pushed) - Ticks(created)) / kTicksPerMs));
    return true;
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kFirstFrameTimer && LogFirstFrame()) KillTimer(window, kFirstFrameTimer);
        return 0;
    case probe::kFramesPushed: return skin::FramesPushed();
    case probe::kLiveGdiObjects: return skin::LiveGdiObjects();
    case probe::kLiveGdipObjects: return skin::LiveGdipObjects();
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void CreateProbeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = probe::kWindowClass;
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetTimer(window, kFirstFrameTimer, kFirstFrameCheckMs, nullptr);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    app::SetProgramRunner(ProbeRunner);
    app::SetExitWindowsCall(ProbeExitWindows);
    CreateProbeWindow();
    Log("start");
    const int code = app::RunZentrilo();
    Log("exit " + std::to_string(code));
    return code;
}
