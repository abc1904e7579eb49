#include "app/runtime/timer_unit.h"

namespace app {
namespace {

constexpr char kTimerClass[] = "ZentriloTimerUnit";

struct TimerState {
    Handler tick;
    int interval = 0;
};

TimerState* StateOf(HWND timer) {
    return reinterpret_cast<TimerState*>(GetWindowLongPtrA(timer, GWLP_USERDATA));
}

LRESULT CALLBACK TimerProc(HWND timer, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(timer, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_NCDESTROY: delete StateOf(timer); break;
    case WM_TIMER:
        if (wParam == kUnitTimerId && StateOf(timer)->tick) StateOf(timer)->tick();
        return 0;
    }
    return DefWindowProcA(timer, message, wParam, lParam);
}

} // namespace

HWND CreateTimerUnit(HWND parent, const UnitDefinition& unit) {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TimerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kTimerClass;
        return RegisterClassA(&wc);
    }();
    (void)atom;
    auto* state = new TimerState{unit.tick};
    HWND timer = CreateWindowExA(0, kTimerClass, unit.name, WS_CHILD, unit.left, unit.top, unit.width,
                                 unit.height, parent, nullptr, GetModuleHandleA(nullptr), state);
    if (!timer) delete state;
    return timer;
}

void SetTimerInterval(HWND timer, int interval) {
    TimerState* state = StateOf(timer);
    if (interval < 0) interval = 0;
    if (!state || interval == state->interval) return;
    KillTimer(timer, kUnitTimerId);
    state->interval = interval;
    if (interval > 0) SetTimer(timer, kUnitTimerId, static_cast<UINT>(interval), nullptr);
}

int TimerInterval(HWND timer) {
    const TimerState* state = StateOf(timer);
    return state ? state->interval : 0;
}

} // namespace app
