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

DWORD Scaled(DWORD ms) {
    const char* scale = std::getenv("ZEN_TIME_SCALE");
    return scale ? static_cast<DWORD>(ms * std::atof(scale)) : ms;
}

} // namespace child_process
