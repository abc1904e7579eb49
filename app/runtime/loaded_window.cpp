#include "app/runtime/loaded_window.h"

#include <cstring>

namespace app {
namespace {

// One per definition that was ever loaded or written to: a table keyed by definition.
std::vector<std::unique_ptr<WindowSlot>> g_slots;

} // namespace

WindowSlot& SlotOf(const WindowDefinition& def) {
    for (auto& slot : g_slots)
        if (slot->def == &def) return *slot;
    return *g_slots.emplace_back(std::make_unique<WindowSlot>(WindowSlot{&def, nullptr, {}}));
}

const std::vector<std::unique_ptr<WindowSlot>>& WindowSlots() {
    return g_slots;
}

LoadedUnit* FindUnit(LoadedWindow& w, const char* name) {
    for (auto& u : w.units)
        if (std::strcmp(u.def->name, name) == 0) return &u;
    return nullptr;
}

const UnitDefinition* FindUnitDefinition(const WindowDefinition& def, const char* name) {
    for (const auto& u : def.units)
        if (std::strcmp(u.name, name) == 0) return &u;
    return nullptr;
}

RECT UnitRect(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    HWND parent = GetParent(hwnd);
    if (parent && !(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_POPUP))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace app
