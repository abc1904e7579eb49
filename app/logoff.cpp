// Log off: one click ends the user's session and the program.
#include "app/handlers.h"
#include "app/runtime/shutdown.h"
#include "app/runtime/windows.h"

namespace app {

void OnLogOff() {
    // Programs are asked to close and may offer to save; only hung ones are ended.
    ShutDownSystem(kLogOff, CloseOthers::IfHung);
    CloseWindowAsync(kMainWindow);
}

} // namespace app
