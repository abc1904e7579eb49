#include "tests/support/child_process.h"

#include <cstdlib>

namespace child_process {

std::string SelfPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string Command(const char* mode) {
    return "\"" + SelfPath() + "\" --gtest_also_run_disabled_tests --gtest_filter=Child.DISABLED_" + mode;
}

bool IsChild(const char* mode) {
    const char* value = std::getenv("ZEN_CHILD");
    return value && std::string(value) == mode;
}

app::ProgramRun Start(const char* mode, bool wait, int showMode, DWORD waitLimit) {
    SetEnvironmentVariableA("ZEN_CHILD", mode);
    app::ProgramRun run = app::RunProgram(Command(mode).c_str(), wait, showMode, nullptr, waitLimit);
    SetEnvironmentVariableA("ZEN_CHILD", nullptr);
    return run;
}

HANDLE Launch(const char* mode) {
    SetEnvironmentVariableA("ZEN_CHILD", mode);
    std::string command = Command(mode);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    SetEnvironmentVariableA("ZEN_CHILD", nullptr);
    if (info.hThread) CloseHandle(info.hThread);
    return info.hProcess;
}

HWND FindBox(const char* caption, DWORD wait) {
    const DWORD start = GetTickCount();
    for (;; Sleep(20)) {
        // Shown only once its dialog is set up: its texts and its place in the stacking order.
        HWND box = FindWindowA("#32770", caption);
        if (box && IsWindowVisible(box)) return box;
        if (GetTickCount() - start >= wait) return nullptr;
    }
}

std::string AnswerBox(HWND box) {
    std::string text;
    if (!box) return text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {}, line[512] = {};
        GetClassNameA(c, cls, sizeof cls);
        if (std::string(cls) == "Static" && GetWindowTextA(c, line, sizeof line) > 0) text = line;
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
}

DWORD Scaled(DWORD ms) {
    const char* scale = std::getenv("ZEN_TIME_SCALE");
    return scale ? static_cast<DWORD>(ms * std::atof(scale)) : ms;
}

} // namespace child_process
