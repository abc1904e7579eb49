#include "app/runtime/alert.h"

#include "app/runtime/loaded_window.h"
#include "app/runtime/unit_lookup.h"
#include "skin/accessible.h"

namespace app {
namespace {

// The object identifier under which a window's alert answers WM_GETOBJECT: one of the window's own, as
// the system's identifiers are all negative.
constexpr LONG kAlertObject = 1;

} // namespace

void Announce(const WindowDefinition& def, const char* title, const char* text) {
    LoadedWindow& w = RequireWindow(def);
    w.alert = RaisedAlert{title, text};
    NotifyWinEvent(EVENT_SYSTEM_ALERT, w.hwnd, kAlertObject, CHILDID_SELF);
}

LRESULT AnswerAlert(const LoadedWindow& w, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != kAlertObject || !w.alert) return 0;
    return skin::AnswerAlertRequest(w.hwnd, wParam, w.alert->title.c_str(), w.alert->text.c_str());
}

} // namespace app
