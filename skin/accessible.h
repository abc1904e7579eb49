// The accessible object of an image button. Its face carries no text and the platform would call every
// skinned button a plain push button, so screen readers and other accessibility clients ask this object
// instead: the button's window text as its name, push button or option (radio button) as its role, and
// whether it is checked, unavailable, focused or hidden.
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

} // namespace skin
