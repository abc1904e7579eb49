// The program's own window classes. Unit windows of them keep a state object behind GWLP_USERDATA: it is
// handed in as the creation parameter and freed with the window.
#pragma once
#include <windows.h>

namespace app {

// Registers a window class of the program's own (arrow cursor; no background unless given); 0 when it is
// registered already.
inline ATOM RegisterUnitClass(const char* name, WNDPROC proc, HBRUSH background = nullptr) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassA(&wc);
}

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
