// The caret of a focused text field on a layered window. The platform cannot draw a caret into frames
// pushed with UpdateLayeredWindow, so a timer re-pushes the last frame with and without a drawn line.
#pragma once
#include "skin/owners.h"

namespace skin {

inline constexpr UINT_PTR kCaretTimerId = 64;
inline constexpr UINT kCaretBlinkMs = 500;
inline constexpr int kCaretHeight = 12;

// One caret exists per process, so one record serves every skinned window.
struct CaretTracker {
    HWND host = nullptr;     // the skinned window whose text field has the focus
    HWND child = nullptr;    // that text field
    GpBitmapOwner lastFrame; // the frame last composed for host
    int phase = 0;           // 1 while the pushed frame shows the caret line
};

CaretTracker& Caret();

// Timer procedure of the blink timer each skinned window carries.
void CALLBACK CaretBlinkProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Draws the caret of child, a text field of host, onto graphics covering host's frame.
void DrawCaretLine(HWND host, HWND child, Gdiplus::GpGraphics* graphics);

} // namespace skin
