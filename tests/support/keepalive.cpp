// Keeps Wine's desktop process alive while a test run lasts, so each test exe starts quickly.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Sleep(INFINITE);
    return 0;
}
