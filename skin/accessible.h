// The accessible objects of the toolkit. An image button's face carries no text and the platform would
// call every skinned button a plain push button, so screen readers and other accessibility clients ask
// the button's own object instead: its window text as its name, push button or option (radio button) as
// its role, whether it is checked, unavailable, focused or hidden, and what the program says of it. An
// alert is a message the program raises for screen readers to speak at once.
#pragma once
#include <windows.h>
// windows.h must come first.
#include <oleacc.h>

namespace skin {

// A new accessible object for button with one reference, which the caller owns. It keeps only the
// handle and reads the window and its skin properties at every question.
IAccessible* NewButtonAccessible(HWND button);

// The answer to WM_GETOBJECT: the button's accessible object for a request of its client area, 0 for any
// other request (the window procedure then goes on as usual).
LRESULT AnswerObjectRequest(HWND button, WPARAM wParam, LPARAM lParam);

// The answer to WM_GETOBJECT for an alert of window: an object with title as its name, text as its
// description and a medium alert level, which is no part of the window's tree of objects and is told of
// only by EVENT_SYSTEM_ALERT.
LRESULT AnswerAlertRequest(HWND window, WPARAM wParam, const char* title, const char* text);

} // namespace skin
