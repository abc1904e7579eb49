// TransparentLabel: a child without a background of its own that draws one text.
#pragma once
#include "app/window_defs.h"

namespace app {

HWND CreateTransparentLabel(HWND parent, const UnitDefinition& unit, HFONT font);
// Changes the text, repainting what lies beneath first so the text never lands on a stale copy.
void SetLabelText(HWND label, const char* text);
// Shows or hides the label the same way.
void SetLabelVisible(HWND label, bool visible);

} // namespace app
