// Unit windows of the program's own classes keep a state object behind GWLP_USERDATA: it is handed in as
// the creation parameter and freed with the window.
#pragma once
#include <windows.h>

namespace app {

template <typename State> State* UnitState(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Called first by the unit's window procedure for every message.
template <typename State> void KeepUnitState(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_NCDESTROY) {
        delete UnitState<State>(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
}

} // namespace app
