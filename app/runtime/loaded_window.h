// The records of loaded windows and their units, shared by the loader, the unit properties, the focus, the
// keys, the alerts and the restacking of owned windows. A loaded window's record lives with the window: made
// when the window is loaded, reached from its handle, freed when it is destroyed. What is written to a
// window that is not loaded waits with its definition for the next load.
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

// The latest alert a window raised, which screen readers ask for after it was raised.
struct RaisedAlert {
    std::string title, text;
};

// What the restacking of owned windows last saw of the focus in a window (owned_windows.cpp).
struct Settling {
    HWND focus = nullptr; // where in the window the focus was; nullptr when it was elsewhere
    bool shown = false;   // the focus was in the window and the window not minimised
    ULONGLONG until = 0, restacked = 0;
};

struct LoadedWindow {
    explicit LoadedWindow(const WindowDefinition* d) : def(d) {}
    const WindowDefinition* def;
    HWND hwnd = nullptr;
    bool loading = true;
    FocusMemory focus;
    UINT uiState = 0; // UISF_ flags: which keyboard cues the window hides
    std::optional<COLORREF> background;
    std::vector<LoadedUnit> units;
    std::optional<RaisedAlert> alert;
    Settling settling;
};

// What a definition keeps between loads: the record of its window while that is loaded (made by LoadWindow,
// freed when the window is destroyed), and what waits for the next load, by unit name.
struct WindowSlot {
    const WindowDefinition* def;
    std::unique_ptr<LoadedWindow> window;
    std::map<std::string, PendingUnit> pending;
};
WindowSlot& SlotOf(const WindowDefinition& def);
// Every slot made so far; a slot's window is empty while it is not loaded.
const std::vector<std::unique_ptr<WindowSlot>>& WindowSlots();

LoadedUnit* FindUnit(LoadedWindow& w, const char* name);
const UnitDefinition* FindUnitDefinition(const WindowDefinition& def, const char* name);

// Timers and sprite prototypes never show, whatever their visible flag says.
inline bool ShowsWhenVisible(UnitKind kind) {
    return kind != UnitKind::TimerUnit && kind != UnitKind::AnimationObject;
}

// A unit's rectangle in its parent's client area; a top-level window's on the screen.
RECT UnitRect(HWND hwnd);

} // namespace app
