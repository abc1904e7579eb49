#include "app/runtime/thread.h"

namespace app {

bool StartThread(LPTHREAD_START_ROUTINE routine, void* parameter, HANDLE* handle) {
    HANDLE thread = CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
    if (!thread) return false;
    if (handle)
        *handle = thread;
    else
        CloseHandle(thread);
    return true;
}

} // namespace app
