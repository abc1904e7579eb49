// Handing user-interface work from a worker thread to the main thread, which owns every window.
#pragma once
#include <functional>

namespace app {

// Called once on the main thread before any window exists.
void InitUiThread();

// Runs step on the main thread and returns when it has run. The main thread runs it from its message
// loop, so it never waits for the worker; called on the main thread, step simply runs. Called before
// InitUiThread, it ends the program through FatalError.
void RunOnUiThread(const std::function<void()>& step);

} // namespace app
