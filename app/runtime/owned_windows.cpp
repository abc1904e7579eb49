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
    // Long enough to see the idle timer tick at least once after a late rise; after Apply, when the timer
    // ticks every 10 ms, a restack now and then is enough.
    constexpr ULONGLONG kSettleMs = 2500, kRestackEveryMs = 100;
    static HWND lastFocus = nullptr;
    static bool lastShown = false;
    static ULONGLONG settleUntil = 0, restacked = 0;
    HWND focus = GetFocus();
    HWND window = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    const bool shown = window && !IsIconic(window);
    const ULONGLONG now = GetTickCount64();
    if (focus != lastFocus || shown != lastShown) {
        lastFocus = focus;
        lastShown = shown;
        settleUntil = now + kSettleMs;
    } else if (now > settleUntil || now - restacked < kRestackEveryMs) {
        return;
    }
    restacked = now;
    if (shown) RaiseOwnedWindows(window);
}

} // namespace app
