// Keeps Wine's desktop process alive while a test run lasts, so each test exe starts quickly. Wine closes a
// desktop a second after the last process that asked for it ends, and the next program brings up a new one:
// such starts, under load, were seen to leave a prefix unable to create any window until its server ended.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    GetDesktopWindow(); // makes this process one of the desktop's users
    Sleep(INFINITE);
    return 0;
}
