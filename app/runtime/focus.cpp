#include "app/runtime/focus.h"

#include "app/runtime/loaded_window.h"
#include "app/runtime/under_wine.h"
#include "app/runtime/unit_lookup.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace app {
namespace {

bool TakesFocus(const LoadedUnit* unit) {
    return unit && unit->def->tabStop && IsWindowVisible(unit->hwnd) && IsWindowEnabled(unit->hwnd);
}

// The names of the units Tab visits, in order, whether they take the focus now or not.
std::vector<const char*> TabOrder(const LoadedWindow& w) {
    if (!w.def->tabOrder.empty()) return {w.def->tabOrder.begin(), w.def->tabOrder.end()};
    std::vector<const char*> order;
    for (const UnitDefinition& unit : w.def->units)
        if (unit.tabStop) order.push_back(unit.name);
    return order;
}

// The named unit if it takes the focus now, else the next one in Tab order that does; nullptr when none
// does.
HWND UnitOrNextTakingFocus(LoadedWindow& w, const char* name) {
    const std::vector<const char*> order = TabOrder(w);
    const auto named = [&](const char* n) { return std::strcmp(n, name) == 0; };
    const auto at = std::find_if(order.begin(), order.end(), named) - order.begin();
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    for (std::ptrdiff_t step = 0; step < count; ++step) {
        const LoadedUnit* unit = FindUnit(w, order[(at + step) % count]);
        if (TakesFocus(unit)) return unit->hwnd;
    }
    return nullptr;
}

// Moves the focus to target in one step. Wine 8 tells accessibility clients of a focus only when it came from
// another window: one that comes from nowhere (after an activation, a restore, a disabled unit) is told here
// under Wine, and never on Windows, which tells of every focus itself.
void GiveFocus(HWND target) {
    const bool fromNowhere = !GetFocus();
    SetFocus(target);
    if (fromNowhere && RunningUnderWine() && GetFocus() == target)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, target, OBJID_CLIENT, CHILDID_SELF);
}

HWND g_refusedWindow = nullptr; // the window WindowFocusRefused keeps the focus from

LRESULT CALLBACK RefuseWindowFocus(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_SETFOCUS && reinterpret_cast<HWND>(wParam) == g_refusedWindow) return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void RememberFocus(LoadedWindow& w) {
    HWND focus = GetFocus();
    for (const LoadedUnit& unit : w.units)
        if (unit.hwnd == focus) w.focus = {unit.def->name, false};
}

bool RestoreFocus(LoadedWindow& w) {
    HWND target = w.focus.waiting ? w.hwnd : w.focus.unit ? UnitOrNextTakingFocus(w, w.focus.unit) : nullptr;
    if (!target) return false;
    if (GetFocus() != target) GiveFocus(target);
    return true;
}

void SetInitialFocus(const WindowDefinition& def, const char* unit) {
    LoadedWindow& w = RequireWindow(def);
    const LoadedUnit& first = RequireUnit(def, unit);
    if (w.focus.unit) return;
    w.focus.unit = first.def->name;
    if (!w.focus.deferred && GetActiveWindow() == w.hwnd) RestoreFocus(w);
}

void DeferFocus(LoadedWindow& w) {
    w.focus.deferred = true;
}

// Giving the unit the focus also hands the window system's keyboard focus to the window's surface, which
// it may not have yet (a layered window gets a new one).
void PlaceFocus(LoadedWindow& w) {
    w.focus.deferred = false;
    if (GetActiveWindow() != w.hwnd || IsIconic(w.hwnd)) return;
    if (!RestoreFocus(w) && !GetFocus()) GiveFocus(w.hwnd);
}

WindowFocusRefused::WindowFocusRefused(HWND window)
    : hook_(SetWindowsHookExA(WH_CBT, RefuseWindowFocus, nullptr, GetCurrentThreadId())) {
    g_refusedWindow = window;
}

WindowFocusRefused::~WindowFocusRefused() {
    g_refusedWindow = nullptr;
    if (hook_) UnhookWindowsHookEx(hook_);
}

void ReturnWaitingFocusTo(const WindowDefinition& def, const char* unit) {
    LoadedWindow& w = RequireWindow(def);
    if (std::exchange(w.focus.waiting, false)) w.focus.unit = RequireUnit(def, unit).def->name;
}

void SetUnitEnabled(LoadedWindow& w, const LoadedUnit& unit, bool enabled) {
    // The window takes the focus before the unit stops taking input, in one step: the system would first
    // take it away, and each change is told to screen readers.
    if (!enabled && GetFocus() == unit.hwnd) {
        SetFocus(w.hwnd);
        w.focus.waiting = true;
    }
    EnableWindow(unit.hwnd, enabled);
    if (enabled && std::exchange(w.focus.waiting, false)) {
        if (GetFocus() == w.hwnd)
            SetFocus(unit.hwnd);
        else if (GetActiveWindow() != w.hwnd)
            w.focus.unit = unit.def->name;
    }
}

std::vector<HWND> TabStops(LoadedWindow& w) {
    std::vector<HWND> stops;
    for (const char* name : TabOrder(w))
        if (const LoadedUnit* unit = FindUnit(w, name); TakesFocus(unit)) stops.push_back(unit->hwnd);
    return stops;
}

} // namespace app
