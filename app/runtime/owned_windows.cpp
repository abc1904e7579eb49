#include "app/runtime/owned_windows.h"

#include "app/runtime/loaded_window.h"

namespace app {
// The one place that knows whether the program runs under Wine, for the two steps that only Wine needs and
// that would do harm on Windows. Only Wine's window-system driver lets a surface rise above the windows it
// owns; Windows keeps owned windows above their owner itself, and there a restack would only move them for
// nothing, each move telling accessibility clients of a new order. And Wine 8 raises no focus event for a
// focus that comes from nowhere (an activation), so the focus goes to the window first; on Windows that step
// would be a second announcement. Wine is known by an export of its own ntdll, which no Windows has.
bool RunningUnderWine() {
    static const bool underWine =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return underWine;
}

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
