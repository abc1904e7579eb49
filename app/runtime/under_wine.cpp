#include "app/runtime/under_wine.h"

#include <windows.h>

#include <atomic>

namespace app {
namespace {
std::atomic<bool> g_windowsPaths{false};
} // namespace

// Wine is known by an export of its own ntdll, which no Windows has.
bool RunningUnderWine() {
    static const bool underWine =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return underWine && !g_windowsPaths;
}

void TakeWindowsPaths(bool take) {
    g_windowsPaths = take;
}

} // namespace app
