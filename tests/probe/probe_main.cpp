// zentrilo_probe.exe: the real program with its two edges (the program runner Apply uses and the final
// log-off call) replaced as the environment asks, each call written to a log the scenario tests read.
//   ZEN_PROBE_LOG      file the calls are appended to
//   ZEN_PROBE_RUNNER   real (default) | fail-start | fail-start-once (only the first run) | exit:N
//                      (pretend the run ended with N) | slow:MS (wait MS, then run for real)
// The log-off call is always replaced: it is logged and never reaches the system. A message-only
// window of class "ZentriloProbe" answers WM_APP with the number of frames pushed so far.
#include "app/apply.h"
#include "app/runtime/shutdown.h"
#include "app/startup.h"
#include "skin/window.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

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
        run = app::RunProgram(commandLine, true, showMode, application, app::kRegistryCommandLimit);
    }
    Log("run-end started=" + std::to_string(run.started) + " ended=" + std::to_string(run.ended) +
        " exit=" + std::to_string(run.exitCode));
    return run;
}

bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    LUID shutdown{};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown);
    char buffer[4096];
    DWORD size = 0;
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buffer, sizeof buffer, &size)) {
        const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
            if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
                enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    CloseHandle(token);
    return enabled;
}

BOOL ProbeExitWindows(UINT flags, DWORD reason) {
    char line[96];
    std::snprintf(line, sizeof line, "logoff flags=0x%x reason=%lu privilege=%d", flags, reason,
                  ShutdownPrivilegeEnabled() ? 1 : 0);
    Log(line);
    return TRUE;
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) return skin::FramesPushed();
    return DefWindowProcA(window, message, wParam, lParam);
}

void CreateProbeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZentriloProbe";
    RegisterClassA(&wc);
    CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
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
