#include "app/runtime/keyboard.h"

#include "app/runtime/loaded_window.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

// The units that can take the focus now, in the order Tab visits them.
std::vector<HWND> TabStops(LoadedWindow& w) {
    std::vector<HWND> stops;
    for (const char* name : TabOrder(w))
        if (const LoadedUnit* unit = FindUnit(w, name); TakesFocus(unit)) stops.push_back(unit->hwnd);
    return stops;
}

// The named unit if it takes the focus now, else the next one in Tab order that does.
HWND FocusFrom(LoadedWindow& w, const char* name) {
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

// Clicks a push button as the mouse would: the click reaches its window's clicked event.
void Click(HWND button) {
    SendMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void ShowFocusCues(HWND root) {
    SendMessageA(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void MoveTab(LoadedWindow& w, HWND focus, bool back) {
    const std::vector<HWND> stops = TabStops(w);
    if (stops.empty()) return;
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    const auto at = std::find(stops.begin(), stops.end(), focus) - stops.begin();
    // From the window itself (or a unit Tab does not visit), Tab starts at the first stop and Shift+Tab
    // at the last.
    const auto next = at == count ? (back ? count - 1 : 0) : (at + (back ? count - 1 : 1)) % count;
    SetFocus(stops[next]);
}

// Moves to the previous or next option of the group the focus is in, skipping options that take no
// input, and selects it. Returns false when the focus is on no option.
bool MoveInGroup(LoadedWindow& w, HWND focus, bool back) {
    std::vector<const LoadedUnit*> group;
    for (const char* name : w.def->optionGroup)
        group.push_back(FindUnit(w, name));
    const auto count = static_cast<std::ptrdiff_t>(group.size());
    const auto at =
        std::find_if(group.begin(), group.end(), [&](const LoadedUnit* u) { return u && u->hwnd == focus; }) -
        group.begin();
    if (at == count) return false;
    for (std::ptrdiff_t step = 1; step < count; ++step) {
        const LoadedUnit* option = group[(at + (back ? count - step : step)) % count];
        if (!option || !IsWindowVisible(option->hwnd) || !IsWindowEnabled(option->hwnd)) continue;
        SetFocus(option->hwnd);
        Click(option->hwnd);
        break;
    }
    return true;
}

bool IsPushButtonUnit(LoadedWindow& w, HWND focus) {
    for (const LoadedUnit& unit : w.units)
        if (unit.hwnd == focus) return unit.def->kind == UnitKind::PushButton;
    return false;
}

} // namespace

// Esc closes the window that holds the focus, as a close request by the user would; Tab and Shift+Tab
// move among the units; the arrow keys move among and select options; Enter presses the focused button
// (Space is the button's own key).
bool HandleWindowKeys(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    LoadedWindow* w = root ? RecordOf(root) : nullptr;
    if (!w) return false;
    switch (msg.wParam) {
    case VK_ESCAPE: SendMessageA(root, WM_CLOSE, 0, 0); return true;
    case VK_TAB:
        ShowFocusCues(root);
        MoveTab(*w, msg.hwnd, GetKeyState(VK_SHIFT) < 0);
        return true;
    case VK_UP:
    case VK_LEFT:
    case VK_DOWN:
    case VK_RIGHT: {
        const bool back = msg.wParam == VK_UP || msg.wParam == VK_LEFT;
        if (!MoveInGroup(*w, msg.hwnd, back)) return false;
        ShowFocusCues(root);
        return true;
    }
    case VK_RETURN:
        if (!IsPushButtonUnit(*w, msg.hwnd) || !IsWindowEnabled(msg.hwnd)) return false;
        Click(msg.hwnd);
        return true;
    default: return false;
    }
}

void RememberFocus(LoadedWindow& w) {
    HWND focus = GetFocus();
    for (const LoadedUnit& unit : w.units)
        if (unit.hwnd == focus) w.focusUnit = unit.def->name;
}

bool RestoreFocus(LoadedWindow& w) {
    if (w.focusWaiting) {
        SetFocus(w.hwnd);
        return true;
    }
    HWND target = w.focusUnit ? FocusFrom(w, w.focusUnit) : nullptr;
    if (!target) return false;
    const bool fromNowhere = !GetFocus();
    SetFocus(target);
    // Wine 8 tells accessibility clients of a new focus only when something had it before, which is never
    // the case on activation; Windows tells them anyway, and they pass over the same news told twice.
    if (fromNowhere) NotifyWinEvent(EVENT_OBJECT_FOCUS, target, OBJID_CLIENT, CHILDID_SELF);
    return true;
}

// The window keeps its UI state itself rather than leaving it to the system: Wine keeps none while its
// keyboard-cues setting is on, which is its default, and the face must look the same to mouse users
// whatever that setting says.
void ChangeUiState(LoadedWindow& w, WPARAM change) {
    const WORD action = LOWORD(change), flags = HIWORD(change);
    UINT state = w.uiState;
    if (action == UIS_SET) state |= flags;
    if (action == UIS_CLEAR) state &= ~flags;
    if (state == w.uiState) return;
    w.uiState = state;
    for (HWND child = GetWindow(w.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageA(child, WM_UPDATEUISTATE, change, 0);
}

} // namespace app
