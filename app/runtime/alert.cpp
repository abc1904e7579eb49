#include "app/runtime/alert.h"

#include "app/runtime/windows.h"
#include "skin/accessible.h"

#include <map>
#include <string>

namespace app {
namespace {

// The object identifier under which a window's alert answers WM_GETOBJECT: one of the window's own, as
// the system's identifiers are all negative.
constexpr LONG kAlertObject = 1;

struct RaisedAlert {
    std::string title, text;
};

// The latest alert of each window, which screen readers ask for after it was raised; the alerts of windows
// that are gone are dropped when the next one is raised.
std::map<HWND, RaisedAlert> g_alerts;

} // namespace

void Announce(const WindowDefinition& def, const char* title, const char* text) {
    HWND window = UnitHandle(def); // ends the program when the window is not there
    std::erase_if(g_alerts, [](const auto& alert) { return !IsWindow(alert.first); });
    g_alerts[window] = {title, text};
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window, kAlertObject, CHILDID_SELF);
}

LRESULT AnswerAlert(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto alert = g_alerts.find(window);
    if (static_cast<LONG>(lParam) != kAlertObject || alert == g_alerts.end()) return 0;
    return skin::AnswerAlertRequest(window, wParam, alert->second.title.c_str(), alert->second.text.c_str());
}

} // namespace app
