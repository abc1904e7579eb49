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

} // namespace

void RememberFocus(LoadedWindow& w) {
    HWND focus = GetFocus();
    for (const LoadedUnit& unit : w.units)
        if (unit.hwnd == focus) w.focus = {unit.def->name, false};
}

bool RestoreFocus(LoadedWindow& w) {
    HWND target = w.focus.waiting ? w.hwnd : w.focus.unit ? UnitOrNextTakingFocus(w, w.focus.unit) : nullptr;
    if (!target) return false;
    // Windows tells accessibility clients of the unit's focus itself, and a step through the window would be
    // heard as a second announcement. Wine 8 tells only of a focus that came from somewhere.
    if (!GetFocus() && RunningUnderWine()) SetFocus(w.hwnd);
    SetFocus(target);
    return true;
}

void SetInitialFocus(const WindowDefinition& def, const char* unit) {
    LoadedWindow& w = RequireWindow(def);
    const LoadedUnit& first = RequireUnit(def, unit);
    if (w.focus.unit) return;
    w.focus.unit = first.def->name;
    // Moving the focus from the window to the unit also hands the window system's keyboard focus to the
    // window's surface, which it may not have yet (a layered window gets a new one).
    if (GetActiveWindow() == w.hwnd) RestoreFocus(w);
}

void BeginRestore(LoadedWindow& w) {
    w.focus.restoring = true;
}

void FinishRestore(LoadedWindow& w) {
    w.focus.restoring = false;
    if (GetActiveWindow() == w.hwnd && !IsIconic(w.hwnd)) RestoreFocus(w);
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
