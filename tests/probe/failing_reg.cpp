// Stands in for the system's reg.exe in a throwaway prefix: every run fails. It ends with 1, or with 2 when
// it was given a console window (one that newer Windows may show), or, with ZEN_REG_HANG set in its
// environment, hangs until it is ended from outside.
#include <windows.h>

#include <cstdlib>

int main() {
    if (std::getenv("ZEN_REG_HANG")) Sleep(INFINITE);
    return GetConsoleWindow() ? 2 : 1;
}
