#include "app/runtime/owned_windows.h"

#include "app/runtime/loaded_window.h"

namespace app {
namespace {

// The one place that knows whether an owned window can end up beneath its owner. Only Wine's window-system
// driver lets a surface rise above the windows it owns; Windows keeps owned windows above their owner
// itself, and there a restack would only move them for nothing, each move telling accessibility clients of
// a new order. Wine is known by an export of its own ntdll, which no Windows has.
bool OwnedWindowsCanSinkBelowOwner() {
    static const bool underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return underWine;
}

} // namespace

void RaiseOwnedWindows(HWND owner) {
    if (!OwnedWindowsCanSinkBelowOwner()) return;
    constexpr UINT kRestack = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (auto& w : LoadedWindows()) {
        if (!IsAlive(*w) || GetWindow(w->hwnd, GW_OWNER) != owner || !IsWindowVisible(w->hwnd)) continue;
        // Moving it away and back is a real change of order, which every layer below carries out.
        SetWindowPos(w->hwnd, HWND_BOTTOM, 0, 0, 0, 0, kRestack);
        SetWindowPos(w->hwnd, HWND_TOP, 0, 0, 0, 0, kRestack);
    }
}

void KeepOwnedWindowsAbove() {
    if (!OwnedWindowsCanSinkBelowOwner()) return;
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
