// Does from outside what X cannot do to Zentrilo's main window under Xvfb: minimise, restore, and
// report what the window system knows of it.
//   window_driver minimize | restore | info | units | frames | dialog [ok]
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND MainWindow() {
    return FindWindowA("ZentriloWindow", "Zentrilo");
}

int CountWindows(HWND parent) {
    int count = 0;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        ++count;
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
        std::printf("%s owner=%s visible=%d iconic=%d exstyle=0x%lx rect=%ld,%ld,%ld,%ld children=%d\n",
                    w == main ? "main" : "overlay", GetWindow(w, GW_OWNER) == main ? "main" : "none",
                    IsWindowVisible(w) ? 1 : 0, IsIconic(w) ? 1 : 0,
                    static_cast<unsigned long>(GetWindowLongPtrA(w, GWL_EXSTYLE)), r.left, r.top, r.right,
                    r.bottom, CountWindows(w));
    }
}

// One line per child of the main window: class, position in the window, visible and enabled.
void PrintUnits(HWND main) {
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(c, cls, sizeof cls);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%s rect=%ld,%ld,%ld,%ld visible=%d enabled=%d\n", cls, r.left, r.top, r.right - r.left,
                    r.bottom - r.top, IsWindowVisible(c) ? 1 : 0, IsWindowEnabled(c) ? 1 : 0);
    }
}

// Frames the instrumented program has pushed so far.
int PrintFrames() {
    HWND probe = FindWindowExA(HWND_MESSAGE, nullptr, "ZentriloProbe", nullptr);
    if (!probe) return 1;
    std::printf("%ld\n", static_cast<long>(SendMessageA(probe, WM_APP, 0, 0)));
    return 0;
}

// The text of the program's Apply error box, if one is up; with "ok" the box is also answered.
int AnswerDialog(bool ok) {
    HWND box = FindWindowA("#32770", "应用失败");
    if (!box) return 1;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {}, text[512] = {};
        GetClassNameA(c, cls, sizeof cls);
        GetWindowTextA(c, text, sizeof text);
        if (std::strcmp(cls, "Static") == 0 && text[0]) std::printf("%s\n", text);
    }
    if (ok) PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    HWND main = MainWindow();
    if (argc < 2 || !main) return 2;
    if (std::strcmp(argv[1], "minimize") == 0)
        return PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
    if (std::strcmp(argv[1], "restore") == 0) return PostMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0) ? 0 : 1;
    if (std::strcmp(argv[1], "units") == 0) {
        PrintUnits(main);
        return 0;
    }
    if (std::strcmp(argv[1], "frames") == 0) return PrintFrames();
    if (std::strcmp(argv[1], "dialog") == 0) return AnswerDialog(argc > 2 && std::strcmp(argv[2], "ok") == 0);
    if (std::strcmp(argv[1], "info") == 0) {
        PrintInfo(main);
        return 0;
    }
    return 2;
}
