// The keys every loaded window understands wherever the focus is among its units.
#pragma once
#include <windows.h>

namespace app {

// Handles msg when it is one of those keys and returns true; the message loop then drops it.
bool HandleWindowKeys(const MSG& msg);

} // namespace app
