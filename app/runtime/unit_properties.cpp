#include "app/runtime/unit_properties.h"

#include "app/runtime/animation_box.h"
#include "app/runtime/fatal_error.h"
#include "app/runtime/focus.h"
#include "app/runtime/label.h"
#include "app/runtime/loaded_window.h"
#include "app/runtime/timer_unit.h"
#include "app/runtime/unit_lookup.h"

namespace app {
namespace {

constexpr char kWindowNotLoaded[] = "指定窗口尚未载入";
constexpr int kFirstKindProperty = 8;

void SetUnitVisible(const LoadedUnit& unit, bool visible) {
    if (!ShowsWhenVisible(unit.def->kind)) return;
    if (unit.def->kind == UnitKind::TransparentLabel)
        SetLabelVisible(unit.hwnd, visible);
    else
        ShowWindow(unit.hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void WriteGeometry(const WindowDefinition& def, const char* unit, int property, int value) {
    HWND hwnd = UnitHandle(def, unit);
    const RECT r = UnitRect(hwnd);
    switch (property) {
    case kPropLeft: MoveUnit(def, unit, value); break;
    case kPropTop: MoveUnit(def, unit, r.left, value); break;
    case kPropWidth: MoveUnit(def, unit, r.left, r.top, value); break;
    case kPropHeight: MoveUnit(def, unit, r.left, r.top, r.right - r.left, value); break;
    }
}

// Rectangle and visibility of a unit whose window is not loaded are kept for its next load.
void RememberForNextLoad(const WindowDefinition& window, const char* unit, int property, int value) {
    const UnitDefinition* def = unit ? FindUnitDefinition(window, unit) : nullptr;
    if (!def) return;
    PendingUnit& p = SlotOf(window).pending[unit];
    RECT r = p.rect.value_or(RECT{def->left, def->top, def->left + def->width, def->top + def->height});
    const int width = r.right - r.left, height = r.bottom - r.top;
    switch (property) {
    case kPropLeft: r = {value, r.top, value + width, r.bottom}; break;
    case kPropTop: r = {r.left, value, r.right, value + height}; break;
    case kPropWidth: r.right = r.left + value; break;
    case kPropHeight: r.bottom = r.top + value; break;
    case kPropVisible: p.visible = value != 0; return;
    default: return;
    }
    p.rect = r;
}

void WriteKindProperty(LoadedWindow& w, const char* unit, int property, const PropertyValue& value) {
    if (!unit) {
        if (property == kPropBackColour) {
            w.background = static_cast<COLORREF>(value.number);
            InvalidateRect(w.hwnd, nullptr, TRUE);
        }
        return;
    }
    const LoadedUnit& u = RequireUnit(*w.def, unit);
    switch (u.def->kind) {
    case UnitKind::TimerUnit:
        if (property == kPropInterval) SetTimerInterval(u.hwnd, value.number);
        break;
    case UnitKind::TransparentLabel:
        if (property == kPropText) SetLabelText(u.hwnd, value.text.c_str());
        break;
    case UnitKind::AnimationBox:
        if (property == kPropBoxColour) SetAnimationBoxColor(u.hwnd, static_cast<COLORREF>(value.number));
        break;
    default: break;
    }
}

} // namespace

void MoveUnit(const WindowDefinition& def, const char* unit, int left, std::optional<int> top,
              std::optional<int> width, std::optional<int> height) {
    HWND hwnd = UnitHandle(def, unit);
    const RECT rect = UnitRect(hwnd);
    const int oldWidth = rect.right - rect.left, oldHeight = rect.bottom - rect.top;
    const int newTop = top.value_or(rect.top);
    const int newWidth = width && *width != -1 ? *width : oldWidth;
    const int newHeight = height && *height != -1 ? *height : oldHeight;
    if (left == rect.left && newTop == rect.top && newWidth == oldWidth && newHeight == oldHeight) return;
    MoveWindow(hwnd, left, newTop, newWidth, newHeight, TRUE);
}

void WriteUnitProperty(const WindowDefinition& def, const char* unit, int property, PropertyValue value) {
    if (!IsCreated(def)) {
        if (property >= kFirstKindProperty) FatalError(kWindowNotLoaded);
        RememberForNextLoad(def, unit, property, value.number);
        return;
    }
    LoadedWindow& w = RequireWindow(def);
    if (property >= kFirstKindProperty) return WriteKindProperty(w, unit, property, value);
    switch (property) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: WriteGeometry(def, unit, property, value.number); break;
    case kPropVisible:
        if (unit) {
            SetUnitVisible(RequireUnit(def, unit), value.number != 0);
        } else {
            ShowWindow(w.hwnd, value.number ? SW_SHOW : SW_HIDE);
        }
        break;
    case kPropDisabled:
        if (unit) {
            SetUnitEnabled(w, RequireUnit(def, unit), value.number == 0);
        } else {
            EnableWindow(w.hwnd, value.number == 0);
        }
        break;
    }
}

int ReadUnitProperty(const WindowDefinition& def, const char* unit, int property) {
    HWND hwnd = UnitHandle(def, unit);
    const RECT r = UnitRect(hwnd);
    switch (property) {
    case kPropLeft: return r.left;
    case kPropTop: return r.top;
    case kPropWidth: return r.right - r.left;
    case kPropHeight: return r.bottom - r.top;
    case kPropVisible: return IsWindowVisible(hwnd) ? 1 : 0;
    case kPropDisabled: return IsWindowEnabled(hwnd) ? 0 : 1;
    case kPropWindowState:
        return IsIconic(hwnd) ? kStateMinimised : IsZoomed(hwnd) ? kStateMaximised : kStateNormalWindow;
    }
    if (!unit)
        return property == kPropBackColour
                   ? static_cast<int>(RequireWindow(def).background.value_or(GetSysColor(COLOR_BTNFACE)))
                   : 0;
    switch (RequireUnit(def, unit).def->kind) {
    case UnitKind::TimerUnit: return property == kPropInterval ? TimerInterval(hwnd) : 0;
    case UnitKind::AnimationBox:
        return property == kPropBoxColour ? static_cast<int>(AnimationBoxColor(hwnd)) : 0;
    default: return 0;
    }
}

} // namespace app
