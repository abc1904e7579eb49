// The GDI+ flat interface as MinGW ships it: the headers must come in this order.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace gp = Gdiplus::DllExports;
using Gdiplus::GpStatus;
