// Window procedures that turn the input of a layered window's skinned children into recompositions:
// inside a layered window only pushed frames reach the screen, so every change of a child's look
// recomposes the whole window.
#pragma once
#include <windows.h>

namespace skin {

// Image buttons: draw state from the mouse and enabling, recomposed before the button itself runs.
LRESULT CALLBACK ButtonChildProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
// Text fields: focus tracking for the caret, recomposed after the field has handled the message.
LRESULT CALLBACK TextChildProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace skin
