// Does from outside what X cannot do to Zentrilo's main window under Xvfb: minimise, restore, click
// many times quickly, and report what the window system and the instrumented program know of it.
//   window_driver minimize | restore | info | units | frames | dialog [ok]
//   window_driver counts       windows of the program, and the live GDI and GDI+ objects it holds
//   window_driver options N    N clicks on the options, in turn 125 %, 150 %, 100 %
//   window_driver cycles N     N minimise-and-restore cycles, each waited for
//   window_driver ping MS      asks the main window every kPingIntervalMs for MS milliseconds
//   window_driver boxes        captions of the message boxes that are up
//   window_driver away MS      another program takes the activation for MS milliseconds, then gives it back
//   window_driver end-session  the forced end of the session: prints how many of the program's windows
//                              refused it ("refused=N"), once all of them have been told that it ends
// options, cycles and ping print the slowest answer of the main window ("slowest=MS") and fail (exit 1)
// when it did not answer within kAnswerLimitMs.
#include "tests/probe/probe_queries.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr DWORD kAnswerLimitMs = 1000; // the longest a user may wait for the window to react
constexpr DWORD kStateLimitMs = 5000;  // a minimise or restore that takes longer has failed
constexpr DWORD kPingIntervalMs = 100;
constexpr DWORD kStatePollMs = 5;

// Client positions of the option buttons, in the order they are clicked: 125 %, 150 %, 100 %.
constexpr POINT kOptionPlaces[] = {{83, 422}, {83, 462}, {83, 380}};

HWND MainWindow() {
    return FindWindowA("ZentriloWindow", "Zentrilo");
}

int CountWindows(HWND parent) {
    int count = 0;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        ++count;
    return count;
}

// Where the program's keyboard focus is: "window" (the top-level window itself), the client position of
// the unit that has it ("488,448"), or "none".
std::string FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus) return "none";
    if (info.hwndFocus == window) return "window";
    RECT r;
    GetWindowRect(info.hwndFocus, &r);
    MapWindowPoints(HWND_DESKTOP, GetAncestor(info.hwndFocus, GA_PARENT), reinterpret_cast<POINT*>(&r), 2);
    return std::to_string(r.left) + "," + std::to_string(r.top);
}

// One line per top-level window of the program: which it is, its owner, style bits, child count and, for
// the main window, where the focus is.
void PrintInfo(HWND main) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (std::strcmp(cls, "ZentriloWindow") != 0) continue;
        RECT r;
        GetWindowRect(w, &r);
        std::printf(
            "%s owner=%s visible=%d iconic=%d exstyle=0x%lx rect=%ld,%ld,%ld,%ld children=%d focus=%s\n",
            w == main ? "main" : "overlay", GetWindow(w, GW_OWNER) == main ? "main" : "none",
            IsWindowVisible(w) ? 1 : 0, IsIconic(w) ? 1 : 0,
            static_cast<unsigned long>(GetWindowLongPtrA(w, GWL_EXSTYLE)), r.left, r.top, r.right, r.bottom,
            CountWindows(w), w == main ? FocusOf(w).c_str() : "-");
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

HWND ProbeWindow() {
    return FindWindowExA(HWND_MESSAGE, nullptr, probe::kWindowClass, nullptr);
}

// Frames the instrumented program has pushed so far.
int PrintFrames() {
    HWND probe = ProbeWindow();
    if (!probe) return 1;
    std::printf("%ld\n", static_cast<long>(SendMessageA(probe, probe::kFramesPushed, 0, 0)));
    return 0;
}

struct WindowTally {
    DWORD process;
    int count;
};

BOOL CALLBACK CountChild(HWND, LPARAM tally) {
    ++reinterpret_cast<WindowTally*>(tally)->count;
    return TRUE;
}

// Each top-level window of the process counts once, with all its descendants.
BOOL CALLBACK CountTopLevel(HWND window, LPARAM tally) {
    auto* t = reinterpret_cast<WindowTally*>(tally);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == t->process) {
        ++t->count;
        EnumChildWindows(window, CountChild, tally);
    }
    return TRUE;
}

// Every window of the main window's process, message-only ones included.
int CountProcessWindows(DWORD process) {
    WindowTally tally{process, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&tally));
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
        CountTopLevel(w, reinterpret_cast<LPARAM>(&tally));
    return tally.count;
}

// The owner counts are only kept by the instrumented program: -1 without it.
int PrintCounts(HWND main) {
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    HWND probe = ProbeWindow();
    const long gdi = probe ? static_cast<long>(SendMessageA(probe, probe::kLiveGdiObjects, 0, 0)) : -1;
    const long gdip = probe ? static_cast<long>(SendMessageA(probe, probe::kLiveGdipObjects, 0, 0)) : -1;
    std::printf("windows=%d gdi=%ld gdip=%ld\n", CountProcessWindows(process), gdi, gdip);
    return 0;
}

// Sends message and waits for its answer at most kAnswerLimitMs; keeps the slowest answer so far.
class AnswerClock {
  public:
    bool Send(HWND window, UINT message) {
        const ULONGLONG start = GetTickCount64();
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result) != 0;
        const ULONGLONG took = GetTickCount64() - start;
        if (took > slowest_) slowest_ = took;
        if (!answered) ok_ = false;
        return answered;
    }
    int Report() const {
        std::printf("slowest=%llu\n", slowest_);
        return ok_ ? 0 : 1;
    }

  private:
    ULONGLONG slowest_ = 0;
    bool ok_ = true;
};

HWND ChildAt(HWND parent, POINT place) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        if (r.left == place.x && r.top == place.y) return c;
    }
    return nullptr;
}

int ClickOptions(HWND main, int clicks) {
    HWND options[std::size(kOptionPlaces)];
    for (size_t i = 0; i < std::size(kOptionPlaces); ++i)
        if (!(options[i] = ChildAt(main, kOptionPlaces[i]))) return 2;
    AnswerClock clock;
    for (int i = 0; i < clicks; ++i)
        if (!clock.Send(options[i % std::size(options)], BM_CLICK)) break;
    return clock.Report();
}

bool WaitIconic(HWND main, bool iconic) {
    for (DWORD waited = 0; waited < kStateLimitMs; waited += kStatePollMs) {
        if ((IsIconic(main) != FALSE) == iconic) return true;
        Sleep(kStatePollMs);
    }
    return false;
}

// Minimises and restores as the taskbar would, and asks after each step whether the window still answers.
int MinimiseAndRestore(HWND main, int cycles) {
    AnswerClock clock;
    for (int i = 0; i < cycles; ++i) {
        PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (!WaitIconic(main, true) || !clock.Send(main, WM_NULL)) break;
        PostMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);
        if (!WaitIconic(main, false) || !clock.Send(main, WM_NULL)) break;
    }
    return clock.Report();
}

int Ping(HWND main, DWORD duration) {
    AnswerClock clock;
    const ULONGLONG end = GetTickCount64() + duration;
    while (GetTickCount64() < end) {
        if (!clock.Send(main, WM_NULL)) break;
        Sleep(kPingIntervalMs);
    }
    return clock.Report();
}

// Message boxes of any program of the prefix: the Apply error box, or a fatal error.
int PrintBoxes() {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        char caption[256] = {};
        GetWindowTextA(w, caption, sizeof caption);
        if (IsWindowVisible(w)) std::printf("%s\n", caption);
    }
    return 0;
}

// Another program's window takes the activation, as switching to another program does, and after a while
// the program gets it back, as a click on its taskbar button gives it. Fails when either did not happen.
int AwayAndBack(HWND main, DWORD duration) {
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 120, 60, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    const ULONGLONG end = GetTickCount64() + duration;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(kStatePollMs);
    }
    const bool left = GetForegroundWindow() == other;
    SetForegroundWindow(main); // carried out by the program's thread, a moment later
    bool back = false;
    for (DWORD waited = 0; waited < kStateLimitMs && !back; waited += kStatePollMs, Sleep(kStatePollMs))
        back = GetForegroundWindow() == main;
    DestroyWindow(other);
    return left && back ? 0 : 1;
}

// The end of the session that Windows imposes after a refusal, as a sign-out does it: every top-level window
// of the program is asked, then told that the session ends all the same. The program may be ended as soon as
// this returns, so what it must finish first is finished when its answers have come.
int EndSession(HWND main) {
    constexpr UINT kAnswerWaitMs = 120000; // longer than the program's two reg.exe runs at their limit
    DWORD program = 0;
    GetWindowThreadProcessId(main, &program);
    std::vector<HWND> windows;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == program) windows.push_back(w);
    }
    int refused = 0;
    for (HWND w : windows) {
        DWORD_PTR answer = TRUE;
        SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kAnswerWaitMs, &answer);
        refused += !answer;
    }
    for (HWND w : windows)
        SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kAnswerWaitMs, nullptr);
    std::printf("refused=%d\n", refused);
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
    if (argc < 2) return 2;
    if (std::strcmp(argv[1], "boxes") == 0) return PrintBoxes();
    HWND main = MainWindow();
    if (!main) return 2;
    const int count = argc > 2 ? std::atoi(argv[2]) : 0;
    if (std::strcmp(argv[1], "counts") == 0) return PrintCounts(main);
    if (std::strcmp(argv[1], "options") == 0) return ClickOptions(main, count);
    if (std::strcmp(argv[1], "cycles") == 0) return MinimiseAndRestore(main, count);
    if (std::strcmp(argv[1], "ping") == 0) return Ping(main, static_cast<DWORD>(count));
    if (std::strcmp(argv[1], "away") == 0) return AwayAndBack(main, static_cast<DWORD>(count));
    if (std::strcmp(argv[1], "end-session") == 0) return EndSession(main);
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
