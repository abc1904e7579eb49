#include "app/runtime/timer_unit.h"

#include "app/runtime/unit_state.h"

namespace app {
namespace {

constexpr char kTimerClass[] = "ZentriloTimerUnit";

struct TimerState {
    Handler tick;
    int interval = 0;
};

LRESULT CALLBACK TimerProc(HWND timer, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepUnitState<TimerState>(timer, message, lParam);
    if (message != WM_TIMER) return DefWindowProcA(timer, message, wParam, lParam);
    const TimerState* state = UnitState<TimerState>(timer);
    if (state && wParam == kUnitTimerId && state->tick) state->tick();
    return 0;
}

} // namespace

HWND CreateTimerUnit(HWND parent, const UnitDefinition& unit) {
    static const ATOM atom = RegisterUnitClass(kTimerClass, TimerProc);
    (void)atom;
    auto* state = new TimerState{unit.tick};
    HWND timer = CreateWindowExA(0, kTimerClass, unit.name, WS_CHILD, unit.left, unit.top, unit.width,
                                 unit.height, parent, nullptr, GetModuleHandleA(nullptr), state);
    if (!timer) delete state;
    return timer;
}

void SetTimerInterval(HWND timer, int interval) {
    TimerState* state = UnitState<TimerState>(timer);
    if (interval < 0) interval = 0;
    if (!state || interval == state->interval) return;
    KillTimer(timer, kUnitTimerId);
    state->interval = interval;
    if (interval > 0) SetTimer(timer, kUnitTimerId, static_cast<UINT>(interval), nullptr);
}

int TimerInterval(HWND timer) {
    const TimerState* state = UnitState<TimerState>(timer);
    return state ? state->interval : 0;
}

} // namespace app
