// Does from outside what X cannot do to Zentrilo's main window under Xvfb: minimise, restore, and
// report what the window system knows of it.
//   window_driver minimize | restore | info
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND MainWindow() { return FindWindowA("ZentriloWindow", "Zentrilo"); }

int CountWindows(HWND parent) {
    int count = 0;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++count;
    return count;
}

// One line per top-level window of the program: which it is, its owner, style bits and child count.
void PrintInfo(HWND main) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (std::strcmp(cls, "ZentriloWindow") != 0) continue;
        RECT r;
        GetWindowRect(w, &r);
        std::printf("%s owner=%s visible=%d exstyle=0x%lx rect=%ld,%ld,%ld,%ld children=%d\n",
                    w == main ? "main" : "overlay", GetWindow(w, GW_OWNER) == main ? "main" : "none",
                    IsWindowVisible(w) ? 1 : 0, static_cast<unsigned long>(GetWindowLongPtrA(w, GWL_EXSTYLE)),
                    r.left, r.top, r.right, r.bottom, CountWindows(w));
    }
}

} // namespace

int main(int argc, char** argv) {
    HWND main = MainWindow();
    if (argc < 2 || !main) return 2;
    if (std::strcmp(argv[1], "minimize") == 0) return PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
    if (std::strcmp(argv[1], "restore") == 0) return PostMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0) ? 0 : 1;
    if (std::strcmp(argv[1], "info") == 0) {
        PrintInfo(main);
        return 0;
    }
    return 2;
}
