#include "app/runtime/focus.h"

#include "app/runtime/loaded_window.h"
#include "app/runtime/windows.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace app {
namespace {

constexpr WPARAM kSystemCommandBits = 0xFFF0; // the low four bits of a system command are the system's own

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

// A focus that is nowhere, or on the window itself, leaves what was noted before as it is.
void RememberFocus(LoadedWindow& w) {
    HWND focus = GetFocus();
    for (const LoadedUnit& unit : w.units)
        if (unit.hwnd == focus) w.focus = {unit.def->name, false};
}

// Returns false when the window has no unit to hand the focus to.
bool RestoreFocus(LoadedWindow& w) {
    HWND target = w.focus.waiting ? w.hwnd : w.focus.unit ? UnitOrNextTakingFocus(w, w.focus.unit) : nullptr;
    if (!target) return false;
    // Windows tells accessibility clients of every new focus; Wine 8 only of one that came from somewhere,
    // never of the focus given on activation. Held by the window first, as the system's own handling of an
    // activation would leave it, the unit's focus is told once under both.
    if (!GetFocus()) SetFocus(w.hwnd);
    SetFocus(target);
    return true;
}

} // namespace

void SetInitialFocus(const WindowDefinition& def, const char* unit) {
    LoadedWindow& w = RecordOf(def);
    UnitHandle(def, unit); // ends the program when the unit is not there
    if (w.focus.unit) return;
    w.focus.unit = FindUnit(w, unit)->def->name;
    // Moving the focus from the window to the unit also hands the window system's keyboard focus to the
    // window's surface, which it may not have yet (a layered window gets a new one).
    if (GetActiveWindow() == w.hwnd) RestoreFocus(w);
}

// A minimised window takes no focus, and one being restored takes it when the restore is over.
bool FocusPlacedOnActivation(LoadedWindow& w, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus(w);
        return false;
    }
    return !HIWORD(wParam) && !w.focus.restoring && RestoreFocus(w);
}

// A minimise need not deactivate the window: with no other window to take the activation (no window
// manager) it stays active, and the restore gives the focus to the window itself before it activates it
// again. The unit that had the focus is noted before the minimise, or the activation would restore an older
// one. A restore may also activate the window more than once (under Wine, with a window manager), with the
// focus given to the window in between: the unit takes the focus back once, when the restore is over.
LRESULT CarryOutSystemCommand(LoadedWindow& w, WPARAM command, LPARAM lParam) {
    const WPARAM kind = command & kSystemCommandBits;
    if (kind == SC_MINIMIZE) RememberFocus(w);
    if (kind != SC_RESTORE) return DefWindowProcA(w.hwnd, WM_SYSCOMMAND, command, lParam);
    HWND window = w.hwnd;
    w.focus.restoring = true;
    const LRESULT answer = DefWindowProcA(window, WM_SYSCOMMAND, command, lParam);
    w.focus.restoring = false;
    if (IsAlive(w) && GetActiveWindow() == window && !IsIconic(window)) RestoreFocus(w);
    return answer;
}

void SetUnitEnabled(LoadedWindow& w, const LoadedUnit& unit, bool enabled) {
    const bool hadFocus = GetFocus() == unit.hwnd;
    EnableWindow(unit.hwnd, enabled);
    if (!enabled && hadFocus) {
        SetFocus(w.hwnd);
        w.focus.waiting = true;
    } else if (enabled && std::exchange(w.focus.waiting, false)) {
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
