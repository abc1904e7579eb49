#include "app/runtime/loaded_window.h"

#include <cstring>

namespace app {
namespace {

std::vector<std::unique_ptr<LoadedWindow>> g_windows;

} // namespace

LoadedWindow& RecordOf(const WindowDefinition& def) {
    for (auto& w : g_windows)
        if (w->def == &def) return *w;
    g_windows.push_back(std::make_unique<LoadedWindow>(&def));
    return *g_windows.back();
}

LoadedWindow* RecordOf(HWND hwnd) {
    for (auto& w : g_windows)
        if (w->hwnd == hwnd) return w.get();
    return nullptr;
}

const std::vector<std::unique_ptr<LoadedWindow>>& LoadedWindows() {
    return g_windows;
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
