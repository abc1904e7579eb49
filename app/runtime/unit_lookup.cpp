#include "app/runtime/unit_lookup.h"

#include "app/runtime/fatal_error.h"
#include "app/runtime/loaded_window.h"

namespace app {
namespace {
constexpr char kMissingUnit[] = "指定窗口或窗口组件不存在或尚未载入";
} // namespace

bool IsCreated(const WindowDefinition& def, const char* unit) {
    LoadedWindow* w = SlotOf(def).window.get();
    if (!w || !IsWindow(w->hwnd)) return false;
    if (!unit) return true;
    LoadedUnit* u = FindUnit(*w, unit);
    return u && IsWindow(u->hwnd);
}

LoadedWindow& RequireWindow(const WindowDefinition& def) {
    if (!IsCreated(def)) FatalError(kMissingUnit);
    return *SlotOf(def).window;
}

LoadedUnit& RequireUnit(const WindowDefinition& def, const char* unit) {
    if (!IsCreated(def, unit)) FatalError(kMissingUnit);
    return *FindUnit(*SlotOf(def).window, unit);
}

HWND UnitHandle(const WindowDefinition& def, const char* unit) {
    return unit ? RequireUnit(def, unit).hwnd : RequireWindow(def).hwnd;
}

void RedrawNow(const WindowDefinition& def) {
    UpdateWindow(UnitHandle(def));
}

} // namespace app
