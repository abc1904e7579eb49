#include "app/runtime/session_end.h"

#include "app/runtime/unit_state.h"
#include "skin/words.h"

namespace app {
namespace {

constexpr char kSessionClass[] = "ZentriloSession";
constexpr char kProgramName[] = "Zentrilo"; // names the program on the sign-out screen

HWND g_window = nullptr;
SessionWork g_finish = nullptr; // set while the session's end is held

LRESULT CALLBACK SessionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION: return g_finish ? FALSE : TRUE;
    case WM_ENDSESSION:
        // The session ends as soon as this returns, whatever was answered before.
        if (wParam && g_finish) g_finish();
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Only top-level windows are asked, message-only ones never. Made at the first hold and kept for the
// process.
HWND SessionWindow() {
    if (!g_window) {
        RegisterUnitClass(kSessionClass, SessionProc);
        g_window = CreateWindowExA(WS_EX_TOOLWINDOW, kSessionClass, kProgramName, WS_POPUP, 0, 0, 0, 0,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    return g_window;
}

} // namespace

void HoldSessionEnd(const char* reason, SessionWork finish) {
    g_finish = finish;
    ShutdownBlockReasonCreate(SessionWindow(), skin::Widen(reason).c_str());
}

void ReleaseSessionEnd() {
    if (!g_finish) return;
    g_finish = nullptr;
    ShutdownBlockReasonDestroy(g_window);
}

} // namespace app
