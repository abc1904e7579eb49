#include "app/runtime/message_loop.h"

#include "app/runtime/keyboard.h"
#include "app/runtime/owned_windows.h"

#include <windows.h>

namespace app {
namespace {
bool g_loopEntered = false;
}

bool MessageLoopEntered() {
    return g_loopEntered;
}

int RunMessageLoop() {
    g_loopEntered = true;
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            if (HandleWindowKeys(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            KeepOwnedWindowsAbove();
        }
        // Idle: sleep until the next message rather than spin.
        WaitMessage();
    }
}

} // namespace app
