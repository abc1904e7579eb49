#include "app/globals.h"

namespace app {

AppGlobals g_app;

} // namespace app
