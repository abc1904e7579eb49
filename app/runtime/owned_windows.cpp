#include "app/runtime/owned_windows.h"

#include "app/runtime/loaded_window.h"
#include "app/runtime/under_wine.h"

namespace app {
void RaiseOwnedWindows(HWND owner) {
    if (!RunningUnderWine()) return;
    constexpr UINT kRestack = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (const auto& slot : WindowSlots()) {
        const LoadedWindow* w = slot->window.get();
        if (!w || GetWindow(w->hwnd, GW_OWNER) != owner || !IsWindowVisible(w->hwnd)) continue;
        // Moving it away and back is a real change of order, which every layer below carries out.
        SetWindowPos(w->hwnd, HWND_BOTTOM, 0, 0, 0, 0, kRestack);
        SetWindowPos(w->hwnd, HWND_TOP, 0, 0, 0, 0, kRestack);
    }
}

void KeepOwnedWindowsAbove() {
    if (!RunningUnderWine()) return;
    // Long enough to see the idle timer tick at least once after a late rise; after Apply, when the timer
    // ticks every 10 ms, a restack now and then is enough.
    constexpr ULONGLONG kSettleMs = 2500, kRestackEveryMs = 100;
    HWND focus = GetFocus();
    HWND root = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    const ULONGLONG now = GetTickCount64();
    for (const auto& slot : WindowSlots()) {
        LoadedWindow* w = slot->window.get();
        if (!w) continue;
        Settling& seen = w->settling;
        HWND own = root == w->hwnd ? focus : nullptr;
        const bool shown = own && !IsIconic(w->hwnd);
        if (own != seen.focus || shown != seen.shown) {
            seen.focus = own;
            seen.shown = shown;
            seen.until = now + kSettleMs;
        } else if (now > seen.until || now - seen.restacked < kRestackEveryMs) {
            continue;
        }
        seen.restacked = now;
        if (shown) RaiseOwnedWindows(w->hwnd);
    }
}

} // namespace app
