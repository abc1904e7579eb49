// The questions the instrumented program's message-only window answers; the window driver asks them.
#pragma once
#include <windows.h>

namespace probe {

constexpr char kWindowClass[] = "ZentriloProbe";
constexpr UINT kFramesPushed = WM_APP;        // frames handed to the system so far
constexpr UINT kLiveGdiObjects = WM_APP + 1;  // DCs and GDI objects held by the program's owners
constexpr UINT kLiveGdipObjects = WM_APP + 2; // GDI+ objects held by the program's owners

} // namespace probe
