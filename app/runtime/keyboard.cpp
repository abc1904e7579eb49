#include "app/runtime/keyboard.h"

#include "app/runtime/focus.h"
#include "app/runtime/loaded_window.h"
#include "app/runtime/window_procedure.h"

#include <algorithm>
#include <vector>

namespace app {
namespace {

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
