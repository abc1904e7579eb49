// Zentrilo's entry point. It takes no arguments and ignores its command line.
#include "app/startup.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return app::RunZentrilo();
}
