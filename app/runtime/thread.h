// Worker threads and waiting on them.
#pragma once
#include <windows.h>

namespace app {

// Starts routine with parameter; the handle is stored in *handle and left open when a place is given,
// closed at once otherwise. Returns whether a thread was started.
bool StartThread(LPTHREAD_START_ROUTINE routine, void* parameter = nullptr, HANDLE* handle = nullptr);

} // namespace app
