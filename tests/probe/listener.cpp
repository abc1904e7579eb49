// listener.exe: what a screen reader hears of Zentrilo, recorded from another process the way a screen
// reader learns it: an out-of-context WinEvent hook, and the accessible object behind each event. One line
// per event of the program's windows, in UTF-8:
//   focus NAME | ROLE | STATE | DESCRIPTION      the focus moved to that object
//   alert NAME | STATE | DESCRIPTION             an alert was raised
//   dialog CAPTION | TEXT                        a text of a message box, as a screen reader reads it
// Windows announces its message boxes itself (an alert, the foreground); Wine 8 raises neither, nor a focus
// event when nothing had the focus before, as in a new box: a box is read as each of its texts is created.
//   listener MS                                  runs at most MS milliseconds (default 120000)
#include <windows.h>
// windows.h must come first.
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

namespace {

std::string Utf8(const wchar_t* text, int length = -1) {
    if (!text) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    if (length < 0 && !out.empty()) out.pop_back(); // the terminating zero
    return out;
}

std::string Take(BSTR text) {
    std::string out = text ? Utf8(text, static_cast<int>(SysStringLen(text))) : std::string();
    SysFreeString(text);
    return out;
}

std::string WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return Utf8(text);
}

// The program whose events are recorded: the one that owns the main window.
DWORD ProgramProcess() {
    static DWORD process = 0;
    if (!process)
        if (HWND main = FindWindowA("ZentriloWindow", "Zentrilo")) GetWindowThreadProcessId(main, &process);
    return process;
}

// One line per event: the line breaks of a text are read as spaces.
void Print(std::string line) {
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string Name(IAccessible* object, VARIANT child) {
    BSTR name = nullptr;
    object->get_accName(child, &name);
    return Take(name);
}

// The text of a message box's static, read through its accessible object, or nothing for another window.
void ReadDialogText(HWND window) {
    char cls[32] = {}, rootClass[32] = {};
    HWND dialog = GetAncestor(window, GA_ROOT);
    GetClassNameA(window, cls, sizeof cls);
    GetClassNameA(dialog, rootClass, sizeof rootClass);
    IAccessible* object = nullptr;
    if (lstrcmpiA(cls, "Static") != 0 || lstrcmpA(rootClass, "#32770") != 0 ||
        FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    const std::string text = Name(object, self);
    object->Release();
    if (!text.empty()) Print("dialog " + WindowText(dialog) + " | " + text);
}

void Tell(DWORD event, HWND window, LONG objectId, LONG childId) {
    DWORD process = 0;
    if (!window || (GetWindowThreadProcessId(window, &process), process != ProgramProcess())) return;
    if (event == EVENT_OBJECT_CREATE) return ReadDialogText(window);
    IAccessible* object = nullptr;
    VARIANT child{};
    if (FAILED(AccessibleObjectFromEvent(window, objectId, childId, &object, &child)) || !object) return;
    BSTR description = nullptr;
    object->get_accDescription(child, &description);
    VARIANT role{}, state{};
    object->get_accRole(child, &role);
    object->get_accState(child, &state);
    char numbers[48];
    if (event == EVENT_SYSTEM_ALERT)
        std::snprintf(numbers, sizeof numbers, " | 0x%lx | ", state.vt == VT_I4 ? state.lVal : 0L);
    else
        std::snprintf(numbers, sizeof numbers, " | %ld | 0x%lx | ", role.vt == VT_I4 ? role.lVal : 0L,
                      state.vt == VT_I4 ? state.lVal : 0L);
    Print((event == EVENT_SYSTEM_ALERT ? "alert " : "focus ") + Name(object, child) + numbers +
          Take(description));
    object->Release();
}

// Events are told in the order they came, as a screen reader queues them: asking an object for its name
// waits for the program, and meanwhile the next event may already arrive.
struct Event {
    DWORD event;
    HWND window;
    LONG objectId, childId;
};
std::deque<Event> g_events;
constexpr UINT kTellEvents = WM_APP;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD, DWORD) {
    if (event != EVENT_OBJECT_FOCUS && event != EVENT_SYSTEM_ALERT && event != EVENT_OBJECT_CREATE) return;
    g_events.push_back({event, window, objectId, childId});
    PostThreadMessageA(GetCurrentThreadId(), kTellEvents, 0, 0);
}

void TellEvents() {
    static bool telling = false;
    if (telling) return;
    telling = true;
    while (!g_events.empty()) {
        const Event e = g_events.front();
        g_events.pop_front();
        Tell(e.event, e.window, e.objectId, e.childId);
    }
    telling = false;
}

void CALLBACK EndListening(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

} // namespace

int main(int argc, char** argv) {
    const UINT lifetime = argc > 1 ? static_cast<UINT>(std::atoi(argv[1])) : 120000;
    CoInitialize(nullptr);
    SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnEvent, 0, 0,
                    WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    SetTimer(nullptr, 0, lifetime, EndListening);
    Print("listening");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kTellEvents) TellEvents();
        DispatchMessageA(&msg);
    }
    return 0;
}
