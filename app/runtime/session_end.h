// Work that the end of the user's session must not cut short. While it is held, a sign-out, restart or
// shutdown started elsewhere is refused (WM_QUERYENDSESSION is answered no) and Windows' sign-out screen
// shows the reason in the program's words; a session that ends all the same (WM_ENDSESSION after a forced
// end) waits until the work is finished. The answers come from a hidden window of their own, which is
// there even after the user has closed the program's windows while the work goes on. Main thread only.
#pragma once

namespace app {

using SessionWork = void (*)();

// finish returns once the held work is done; it runs when the session ends while the work is held.
void HoldSessionEnd(const char* reason, SessionWork finish);
void ReleaseSessionEnd();

} // namespace app
