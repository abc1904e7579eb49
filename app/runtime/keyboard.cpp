#include "app/runtime/keyboard.h"

#include "app/runtime/loaded_window.h"

namespace app {

// Esc closes the window that holds the focus, as a close request by the user would; Tab moves among the
// tab-stop units.
bool HandleWindowKeys(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_ESCAPE && msg.wParam != VK_TAB)) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || !RecordOf(root)) return false;
    if (msg.wParam == VK_ESCAPE) {
        SendMessageA(root, WM_CLOSE, 0, 0);
        return true;
    }
    const bool back = GetKeyState(VK_SHIFT) < 0;
    if (HWND next = GetNextDlgTabItem(root, msg.hwnd == root ? nullptr : msg.hwnd, back)) SetFocus(next);
    return true;
}

} // namespace app
