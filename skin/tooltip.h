// Hover tips for skinned controls, through one tooltip window shared by the whole process.
#pragma once
#include <windows.h>

namespace skin {

// Placement bit 0: set shows the tip next to the pointer, clear centres it under the control.
inline constexpr int kToolTipNearPointer = 1;

// The shared tooltip window; 0 until the first SetToolTip. It lives as long as the process.
HWND ToolTipWindow();

// Registers the control's tool on the first call; later calls only change its text. The tooltip
// window copies the text.
void SetToolTip(HWND control, const char* text, int placement);

} // namespace skin
