#include "skin/props.h"

#include "skin/owners.h"
#include "skin/state_drawing.h"
#include "skin/window.h"

#include <commctrl.h>

namespace skin {
namespace {

constexpr UINT kStyleSyncFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;

bool ModifyLong(HWND window, int index, LONG_PTR clear, LONG_PTR set, UINT extraFlags) {
    LONG_PTR old = GetWindowLongPtrA(window, index);
    LONG_PTR wanted = (old & ~clear) | set;
    if (wanted == old) return false;
    SetWindowLongPtrA(window, index, wanted);
    if (extraFlags) SetWindowPos(window, nullptr, 0, 0, 0, 0, kStyleSyncFlags | extraFlags);
    return true;
}

// Kind-3 controls redraw their face whenever the platform asks the parent about custom drawing.
void OnNotify(LPARAM lParam) {
    if (!lParam) return;
    NMHDR header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.code == static_cast<UINT>(NM_CUSTOMDRAW) && Kind(header.hwndFrom) == kKindButton)
        DrawFace(header.hwndFrom);
}

// Skinned children are drawn over what the parent painted, so their text is transparent and
// their background hollow. Returns 0 for windows that are not skinned.
LRESULT OnControlColor(WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    int kind = Kind(control);
    if (kind == kKindNone) return 0;
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (kind == kKindTextField) SetTextColor(dc, static_cast<COLORREF>(GetSkinProp(control, kPropTextColor)));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

// A text field has no background of its own, so edits must repaint the parent's pixels under it.
void OnCommand(WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    if (Kind(control) != kKindTextField) return;
    switch (HIWORD(wParam)) {
    case EN_VSCROLL:
    case EN_HSCROLL:
    case EN_CHANGE: InvalidateRect(control, nullptr, TRUE); break;
    default: break;
    }
}

} // namespace

void SetSkinProp(HWND window, const char* key, intptr_t value) {
    SetPropA(window, key, reinterpret_cast<HANDLE>(value));
    NoteSkinWrite(window, key);
}

void RemoveSkinProp(HWND window, const char* key) {
    RemovePropA(window, key);
    NoteSkinWrite(window, key);
}

void Subclass(HWND window, WNDPROC proc) {
    if (GetSkinProp(window, kPropWndProc)) return;
    LONG_PTR old = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetSkinProp(window, kPropWndProc, old);
}

LRESULT CallOldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetSkinProp(window, kPropWndProc));
    // The compositor may take the saved procedure back while a message is under way.
    if (!old) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(old, window, message, wParam, lParam);
}

bool ModifyStyle(HWND window, LONG_PTR clear, LONG_PTR set, UINT extraFlags) {
    return ModifyLong(window, GWL_STYLE, clear, set, extraFlags);
}

bool ModifyExStyle(HWND window, LONG_PTR clear, LONG_PTR set, UINT extraFlags) {
    return ModifyLong(window, GWL_EXSTYLE, clear, set, extraFlags);
}

void RefreshThroughParent(HWND control) {
    if (HWND parent = GetParent(control)) {
        RECT rect{};
        GetWindowRect(control, &rect);
        POINT corner{rect.left, rect.top};
        ScreenToClient(parent, &corner);
        RECT under{corner.x, corner.y, corner.x + (rect.right - rect.left),
                   corner.y + (rect.bottom - rect.top)};
        InvalidateRect(parent, &under, FALSE);
    }
    InvalidateRect(control, nullptr, FALSE);
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: ForgetSnapshotsUnder(window); break;
    case WM_NOTIFY: OnNotify(lParam); break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORLISTBOX:
        if (LRESULT brush = OnControlColor(wParam, lParam)) return brush;
        break;
    case WM_COMMAND: OnCommand(wParam, lParam); break;
    default: break;
    }
    return CallOldProc(window, message, wParam, lParam);
}

} // namespace skin
