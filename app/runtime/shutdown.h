// Ending the user's session or the system.
#pragma once
#include <windows.h>

namespace app {

enum ShutDownMode : int { kPowerOff = 1, kReboot = 2, kLogOff = 3, kSuspend = 4, kHibernate = 5 };

// How other programs are closed: asked (and may refuse or offer to save), forced when they hang, or
// forced outright without a chance to save.
enum class CloseOthers : UINT { Ask = 0, IfHung = EWX_FORCEIFHUNG, Force = EWX_FORCE };

// Asks for the shutdown; ending the system or putting it to sleep first enables the shutdown privilege,
// which ending the user's own session does not need. Returns whether the request was accepted: false,
// doing nothing, for a mode outside 1-5 or when the privilege cannot be enabled, and false when the
// system refuses (GetLastError then says why).
bool ShutDownSystem(int mode, CloseOthers closeOthers);

// The final platform call, replaceable so that tests never end the session they run in.
using ExitWindowsCall = BOOL (*)(UINT flags, DWORD reason);
ExitWindowsCall SetExitWindowsCall(ExitWindowsCall call); // returns the previous one

} // namespace app
