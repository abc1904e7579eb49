#include "skin/control.h"

#include "skin/props.h"
#include "skin/tooltip.h"

namespace skin {

bool SkinControl::Attach(HWND control) {
    if (!IsWindow(control)) return false;
    // A skinned parent draws its children itself; only plain parents need the cooperating hook.
    HWND parent = GetParent(control);
    if (parent && Kind(parent) == kKindNone) Subclass(parent, ParentProc);
    // The parent paints under the control first, and the control reads those pixels back.
    ModifyStyle(control, WS_CLIPSIBLINGS, 0);
    ModifyExStyle(control, 0, WS_EX_TRANSPARENT);
    if (parent) ModifyStyle(parent, WS_CLIPCHILDREN, 0);
    window_ = control;
    return true;
}

void SkinControl::SetProperty(const char* name, intptr_t value) const {
    SetSkinProp(window_, name, value);
}

intptr_t SkinControl::GetProperty(const char* name) const {
    return GetSkinProp(window_, name);
}

LRESULT SkinControl::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(window_, message, wParam, lParam);
}

void SkinControl::SetToolTip(const char* text, std::optional<int> placement) const {
    skin::SetToolTip(window_, text, placement.value_or(kToolTipNearPointer));
}

void SkinControl::SetBounds(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                            std::optional<int> height, bool noRedraw) const {
    SetWindowBounds(window_, left, top, width, height, noRedraw);
}

SIZE WindowSize(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return {};
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void SetWindowBounds(HWND window, std::optional<int> left, std::optional<int> top, std::optional<int> width,
                     std::optional<int> height, bool noRedraw) {
    RECT rect{};
    GetWindowRect(window, &rect);
    UINT flags = SWP_NOZORDER;
    if (noRedraw) flags |= SWP_NOREDRAW;
    if (!left && !top) flags |= SWP_NOMOVE;
    if (!width && !height) flags |= SWP_NOSIZE;
    POINT corner{rect.left, rect.top};
    if (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) ScreenToClient(GetParent(window), &corner);
    SetWindowPos(window, nullptr, left.value_or(corner.x), top.value_or(corner.y),
                 width.value_or(rect.right - rect.left), height.value_or(rect.bottom - rect.top), flags);
}

} // namespace skin
