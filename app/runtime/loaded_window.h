// The records of loaded windows and their units, shared by the loader, the unit properties, the focus, the
// keys and the restacking of owned windows. Every window that was ever loaded keeps its record; its handle
// is 0 while it is not loaded.
#pragma once
#include "app/runtime/focus.h"
#include "app/window_defs.h"
#include "skin/owners.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct LoadedUnit {
    explicit LoadedUnit(const UnitDefinition* d) : def(d) {}
    const UnitDefinition* def;
    HWND hwnd = nullptr;
    skin::FontOwner font; // the unit's own font, alive as long as the unit
};

// Rectangle and visibility written while a window is not loaded, applied when it is loaded next.
struct PendingUnit {
    std::optional<RECT> rect;
    std::optional<bool> visible;
};

struct LoadedWindow {
    explicit LoadedWindow(const WindowDefinition* d) : def(d) {}
    const WindowDefinition* def;
    HWND hwnd = nullptr;
    bool loading = false;
    FocusMemory focus;
    UINT uiState = 0; // UISF_ flags: which keyboard cues the window hides
    std::optional<COLORREF> background;
    std::vector<LoadedUnit> units;
    std::map<std::string, PendingUnit> pending;
};

// The record of a definition, made on first use.
LoadedWindow& RecordOf(const WindowDefinition& def);
// The record of a loaded window's handle; nullptr for any other window.
LoadedWindow* RecordOf(HWND hwnd);
const std::vector<std::unique_ptr<LoadedWindow>>& LoadedWindows();

inline bool IsAlive(const LoadedWindow& w) {
    return w.hwnd && IsWindow(w.hwnd);
}

LoadedUnit* FindUnit(LoadedWindow& w, const char* name);
const UnitDefinition* FindUnitDefinition(const WindowDefinition& def, const char* name);

// Timers and sprite prototypes never show, whatever their visible flag says.
inline bool ShowsWhenVisible(UnitKind kind) {
    return kind != UnitKind::TimerUnit && kind != UnitKind::AnimationObject;
}

// A unit's rectangle in its parent's client area; a top-level window's on the screen.
RECT UnitRect(HWND hwnd);

} // namespace app
