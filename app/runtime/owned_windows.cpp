#include "app/runtime/owned_windows.h"

#include "app/runtime/loaded_window.h"

namespace app {

void RaiseOwnedWindows(HWND owner) {
    constexpr UINT kRestack = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (auto& w : LoadedWindows()) {
        if (!IsAlive(*w) || GetWindow(w->hwnd, GW_OWNER) != owner || !IsWindowVisible(w->hwnd)) continue;
        // Moving it away and back is a real change of order, which every layer below carries out.
        SetWindowPos(w->hwnd, HWND_BOTTOM, 0, 0, 0, 0, kRestack);
        SetWindowPos(w->hwnd, HWND_TOP, 0, 0, 0, 0, kRestack);
    }
}

void KeepOwnedWindowsAbove() {
    static HWND lastFocus = nullptr;
    HWND focus = GetFocus();
    if (focus == lastFocus) return;
    lastFocus = focus;
    if (focus) RaiseOwnedWindows(GetAncestor(focus, GA_ROOT));
}

} // namespace app
