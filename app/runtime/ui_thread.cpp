#include "app/runtime/ui_thread.h"

#include "app/runtime/fatal_error.h"
#include "app/runtime/unit_state.h"

namespace app {
namespace {

constexpr char kUiClass[] = "ZentriloUiThread";
constexpr UINT kRunStep = WM_APP + 1;
constexpr char kNoUiThread[] = "界面线程尚未建立";

HWND g_uiWindow = nullptr;
DWORD g_uiThreadId = 0;

LRESULT CALLBACK UiProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunStep) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

void InitUiThread() {
    if (g_uiWindow) return;
    RegisterUnitClass(kUiClass, UiProc);
    // A message-only window: it lives for the process and never shows.
    g_uiWindow = CreateWindowExA(0, kUiClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_uiThreadId = GetCurrentThreadId();
}

void RunOnUiThread(const std::function<void()>& step) {
    // Without the main thread's window the step would run on the caller's thread, against windows it does
    // not own: a fault in the program, never to be passed over.
    if (!g_uiWindow) FatalError(kNoUiThread);
    if (GetCurrentThreadId() == g_uiThreadId)
        step();
    else
        SendMessageA(g_uiWindow, kRunStep, 0, reinterpret_cast<LPARAM>(&step));
}

} // namespace app
