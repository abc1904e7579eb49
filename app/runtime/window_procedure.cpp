#include "app/runtime/window_procedure.h"

#include "app/runtime/alert.h"
#include "app/runtime/focus.h"
#include "app/runtime/keyboard.h"
#include "app/runtime/loaded_window.h"
#include "app/runtime/unit_state.h"
#include "app/runtime/window_closing.h"
#include "skin/owners.h"

namespace app {
namespace {

constexpr char kWindowClass[] = "ZentriloWindow";
constexpr WPARAM kSystemCommandBits = 0xFFF0; // the low four bits of a system command are the system's own

void StartDrag(HWND hwnd, LPARAM lParam) {
    ReleaseCapture();
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
}

// A click may have been queued before its unit stopped taking input or went away (an accessibility
// client's default action is posted, and a client may ask twice before the first is handled): it then
// does nothing, as a click on a disabled button would.
LRESULT OnCommand(LoadedWindow& w, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return 0;
    for (auto& unit : w.units)
        if (unit.hwnd == reinterpret_cast<HWND>(lParam)) {
            if (IsWindowEnabled(unit.hwnd)) FireHandler(unit.def->clicked);
            break;
        }
    return 0;
}

bool EraseBackground(const LoadedWindow& w, HDC dc) {
    if (!w.background) return false;
    RECT rect;
    GetClientRect(w.hwnd, &rect);
    skin::BrushOwner brush(CreateSolidBrush(*w.background));
    FillRect(dc, &rect, brush.get());
    return true;
}

// A minimise need not deactivate the window: with no other window to take the activation (no window
// manager) it stays active. The unit that had the focus is noted before the minimise, or the next
// activation would restore an older one. A restore gives the focus back once, when it is over; the record
// may be gone by then.
LRESULT OnSystemCommand(LoadedWindow& w, WPARAM command, LPARAM lParam) {
    const WPARAM kind = command & kSystemCommandBits;
    HWND hwnd = w.hwnd;
    if (kind == SC_MINIMIZE) {
        RememberFocus(w);
        const LRESULT answer = DefWindowProcA(hwnd, WM_SYSCOMMAND, command, lParam);
        // A minimised window holds no focus, as on Windows; Wine leaves it on the unit, and the restore would
        // then give nothing back that a screen reader hears.
        if (IsIconic(hwnd) && IsChild(hwnd, GetFocus())) SetFocus(nullptr);
        return answer;
    }
    if (kind != SC_RESTORE) return DefWindowProcA(hwnd, WM_SYSCOMMAND, command, lParam);
    DeferFocus(w);
    LRESULT answer;
    {
        const WindowFocusRefused refused(hwnd);
        answer = DefWindowProcA(hwnd, WM_SYSCOMMAND, command, lParam);
    }
    if (LoadedWindow* still = RecordOf(hwnd)) PlaceFocus(*still);
    return answer;
}

// An activation with a unit to return to gives that unit the focus itself; the system's own placement, on
// the window, is skipped, and so it is while a load or restore defers the focus. A minimised window takes no
// focus.
bool OnActivate(LoadedWindow& w, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus(w);
        return false;
    }
    return !HIWORD(wParam) && (w.focus.deferred || RestoreFocus(w));
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<LoadedWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* w = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!w) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: return OnCommand(*w, wParam, lParam);
    case WM_ACTIVATE:
        if (OnActivate(*w, wParam)) return 0;
        break;
    case WM_SYSCOMMAND: return OnSystemCommand(*w, wParam, lParam);
    case WM_GETOBJECT:
        if (LRESULT alert = AnswerAlert(*w, wParam, lParam)) return alert;
        break;
    case WM_LBUTTONDOWN:
        if (w->def->dragAnywhere) StartDrag(hwnd, lParam);
        return 0;
    case WM_MOVE:
        if (!w->loading) FireHandler(w->def->moved);
        return 0;
    case WM_SIZE:
        if (!w->loading) FireHandler(w->def->resized);
        return 0;
    case WM_ERASEBKGND:
        if (EraseBackground(*w, reinterpret_cast<HDC>(wParam))) return 1;
        break;
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE: ChangeUiState(*w, wParam); return 0;
    case WM_QUERYUISTATE: return w->uiState;
    case kWindowCloseRequest: DestroyWindow(hwnd); return 0;
    case WM_NCDESTROY: ForgetWindow(hwnd, *w); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

void FireHandler(Handler handler) {
    if (handler) handler();
}

ATOM WindowClass() {
    // Registered at the first load and kept for the process, as every window class is.
    static const ATOM atom =
        RegisterUnitClass(kWindowClass, WindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return atom;
}

LoadedWindow* RecordOf(HWND hwnd) {
    if (!hwnd || GetClassLongPtrA(hwnd, GCW_ATOM) != WindowClass()) return nullptr;
    return reinterpret_cast<LoadedWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

} // namespace app
