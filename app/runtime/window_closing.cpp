#include "app/runtime/window_closing.h"

#include "app/runtime/loaded_window.h"
#include "app/runtime/message_loop.h"
#include "app/runtime/unit_lookup.h"

namespace app {

void CloseWindowAsync(const WindowDefinition& def) {
    PostMessageA(UnitHandle(def), kWindowCloseRequest, 0, 0);
}

void ForgetWindow(HWND hwnd, LoadedWindow& w) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    SlotOf(*w.def).window.reset();
    for (const auto& slot : WindowSlots())
        if (slot->window) return;
    if (MessageLoopEntered()) PostQuitMessage(0);
}

} // namespace app
