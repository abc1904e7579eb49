#include "app/runtime/system_dlls.h"

#include "app/runtime/fatal_error.h"

#include <windows.h>

#include <delayimp.h>

#include <string>

namespace app {
namespace {

// What the build links through delay-import libraries, from the build's own list of them. COMCTL32 is found
// in the side-by-side store that the manifest names; what it imports in turn obeys the limited search.
constexpr const char* kDelayLoadedDlls[] = {ZEN_DELAY_LOADED_DLLS};
constexpr char kCannotLoad[] = "无法从系统文件夹载入 ";

// A system DLL that lacks an entry point the program calls (an older or damaged system): a message that
// says which, instead of the exception the delay-load helper would raise.
FARPROC WINAPI DelayLoadFailed(unsigned notification, PDelayLoadInfo info) {
    std::string message = info->szDll;
    if (notification == dliFailLoadLib) {
        message = kCannotLoad + message;
    } else {
        message += " 中没有 ";
        message += info->dlp.fImportByName ? info->dlp.szProcName : "#" + std::to_string(info->dlp.dwOrdinal);
    }
    FatalError(message.c_str(), static_cast<long>(info->dwLastError));
}

} // namespace

void LoadSystemDlls() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    for (const char* name : kDelayLoadedDlls) {
        // Loaded for the whole process: the delay-load helper finds each one already there.
        if (!LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
            FatalError((kCannotLoad + std::string(name)).c_str(), static_cast<long>(GetLastError()));
    }
}

} // namespace app

// The helper calls this hook when a load or a look-up fails (declared extern "C" by <delayimp.h>).
PfnDliHook __pfnDliFailureHook2 = app::DelayLoadFailed;
