#include "app/runtime/shutdown.h"

#include "skin/owners.h"

namespace app {
namespace {

BOOL CallExitWindows(UINT flags, DWORD reason) {
    return ExitWindowsEx(flags, reason);
}

ExitWindowsCall g_exitWindows = CallExitWindows;

bool EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    skin::KernelHandle owned(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    SetLastError(0);
    AdjustTokenPrivileges(owned.get(), FALSE, &privileges, 0, nullptr, nullptr);
    return GetLastError() == 0;
}

} // namespace

ExitWindowsCall SetExitWindowsCall(ExitWindowsCall call) {
    ExitWindowsCall previous = g_exitWindows;
    g_exitWindows = call ? call : CallExitWindows;
    return previous;
}

bool ShutDownSystem(int mode, CloseOthers closeOthers) {
    if (mode < kPowerOff || mode > kHibernate) return false;
    if (mode != kLogOff && !EnableShutdownPrivilege()) return false;
    if (mode == kSuspend || mode == kHibernate)
        return SetSystemPowerState(mode == kSuspend, closeOthers == CloseOthers::Force);
    const UINT how = mode == kPowerOff ? EWX_POWEROFF : mode == kReboot ? EWX_REBOOT : EWX_LOGOFF;
    return g_exitWindows(how | static_cast<UINT>(closeOthers), 0);
}

} // namespace app
