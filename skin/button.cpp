#include "skin/button.h"

#include "skin/accessible.h"
#include "skin/props.h"
#include "skin/state_drawing.h"
#include "skin/words.h"

#include <array>
#include <utility>

namespace skin {
namespace {

constexpr LONG_PTR kOwnerDrawStyle = BS_OWNERDRAW; // OR-ed in: a push button becomes owner-drawn

constexpr std::array<const char*, 4> kStateImageKeys{kPropNormalImage, kPropOverImage, kPropDownImage,
                                                     kPropDisableImage};

// The button whose WM_MOUSEMOVE the platform procedure is handling. Dragging inside a pressed
// button makes the platform re-send BM_SETSTATE on every move; those echoes redraw only on a change.
HWND g_movingButton = nullptr;

// One-shot: the platform posts WM_MOUSELEAVE once, and the next entry arms it again.
void TrackLeave(HWND button) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, button, 0};
    TrackMouseEvent(&track);
}

LRESULT OnMouseMove(HWND button, WPARAM wParam, LPARAM lParam) {
    HWND outer = std::exchange(g_movingButton, button);
    LRESULT result = CallOldProc(button, WM_MOUSEMOVE, wParam, lParam);
    g_movingButton = outer;
    int state = GetDrawStateProp(button);
    if (state == kStateHover || state == kStatePressed) return result;
    TrackLeave(button);
    SetDrawState(button, kStateHover, true);
    return result;
}

int PushState(HWND button, bool pushed) {
    if (pushed) return kStatePressed;
    return GetSkinProp(button, kPropIsFocus) ? kStateHover : kStateNormal;
}

// The platform procedure releases the push state (BM_SETSTATE) while handling the release, so
// whether the button was pressed is read before forwarding: a completed click leaves the pointer
// over the button, which is hovered again.
LRESULT OnLeftButtonUp(HWND button, WPARAM wParam, LPARAM lParam) {
    bool wasPressed = GetDrawStateProp(button) == kStatePressed;
    LRESULT result = CallOldProc(button, WM_LBUTTONUP, wParam, lParam);
    if (wasPressed || GetDrawStateProp(button) == kStatePressed) {
        TrackLeave(button);
        SetDrawState(button, kStateHover, true);
    } else {
        SetDrawState(button, kStateNormal, true);
    }
    return result;
}

LRESULT ForwardThenDraw(HWND button, UINT message, WPARAM wParam, LPARAM lParam, int state) {
    LRESULT result = CallOldProc(button, message, wParam, lParam);
    SetDrawState(button, state, true);
    return result;
}

void OnFocus(HWND button, bool focused) {
    SetSkinProp(button, kPropIsFocus, focused ? 1 : 0);
    int state = GetDrawStateProp(button);
    if (focused && state == kStatePressed) SetDrawState(button, kStateHover, true);
    if (!focused && state == kStateHover) SetDrawState(button, kStateNormal, true);
}

LRESULT OnSetState(HWND button, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallOldProc(button, BM_SETSTATE, wParam, lParam);
    if (button == g_movingButton)
        SetDrawState(button, PushState(button, wParam == 1), false);
    else
        SyncPushState(button, wParam == 1);
    return result;
}

LRESULT OnDestroy(HWND button, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallOldProc(button, WM_NCDESTROY, wParam, lParam);
    ReleaseSnapshot(button);
    return result;
}

} // namespace

HWND SkinButton::Create(HWND parent, int x, int y, int width, int height, const char* caption) {
    HWND button = CreateWindowExA(WS_EX_TRANSPARENT, "Button", nullptr, WS_CHILD | WS_VISIBLE, x, y, width,
                                  height, parent, nullptr, nullptr, nullptr);
    if (!button) return nullptr;
    SetWindowWords(button, caption);
    Attach(button, nullptr);
    return button;
}

bool SkinButton::Attach(HWND button, images::ImageHandle normal) {
    if (!SkinControl::Attach(button)) return false;
    SetSkinProp(button, kPropType, kKindButton);
    if (normal) SetProperty(kPropNormalImage, reinterpret_cast<intptr_t>(normal));
    ModifyStyle(button, 0, kOwnerDrawStyle);
    Subclass(button, ButtonProc);
    RefreshThroughParent(button);
    return true;
}

void SkinButton::SetImages(std::optional<images::ImageHandle> normal,
                           std::optional<images::ImageHandle> hover,
                           std::optional<images::ImageHandle> pressed,
                           std::optional<images::ImageHandle> disabled) const {
    const std::array<std::optional<images::ImageHandle>, 4> images{normal, hover, pressed, disabled};
    for (size_t i = 0; i < images.size(); ++i)
        if (images[i]) SetProperty(kStateImageKeys[i], reinterpret_cast<intptr_t>(*images[i]));
}

void SkinButton::SetImagesData(std::optional<images::Bytes> normal, std::optional<images::Bytes> hover,
                               std::optional<images::Bytes> pressed,
                               std::optional<images::Bytes> disabled) const {
    auto decode = [](std::optional<images::Bytes> bytes) -> std::optional<images::ImageHandle> {
        if (!bytes) return std::nullopt;
        return images::DecodeImage(*bytes);
    };
    SetImages(decode(normal), decode(hover), decode(pressed), decode(disabled));
}

void SkinButton::SetBackType(int backType) const {
    SetProperty(kPropBackType, backType);
}

void SkinButton::SetChecked(bool checked) const {
    const bool changed = GetProperty(kPropChecked) != (checked ? 1 : 0) || !GetProperty(kPropOption);
    SetProperty(kPropOption, 1);
    SetProperty(kPropChecked, checked ? 1 : 0);
    if (changed) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

void SkinButton::SetDescription(const char* text) const {
    SetProperty(kPropDescription, reinterpret_cast<intptr_t>(text));
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintButton(button); return 0;
    case WM_NCPAINT: return 0; // no frame, ever
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: return OnMouseMove(button, wParam, lParam);
    case WM_MOUSELEAVE: return ForwardThenDraw(button, message, wParam, lParam, kStateNormal);
    case WM_ENABLE:
        return ForwardThenDraw(button, message, wParam, lParam, wParam ? kStateNormal : kStateDisabled);
    // The platform procedure would draw a focus frame; focus only steers hover against normal.
    case WM_SETFOCUS: OnFocus(button, true); return 0;
    case WM_KILLFOCUS: OnFocus(button, false); return 0;
    case BM_SETSTATE: return OnSetState(button, wParam, lParam);
    case WM_LBUTTONDOWN: return ForwardThenDraw(button, message, wParam, lParam, kStatePressed);
    case WM_LBUTTONUP: return OnLeftButtonUp(button, wParam, lParam);
    case WM_NCDESTROY: return OnDestroy(button, wParam, lParam);
    case WM_GETOBJECT:
        if (LRESULT object = AnswerObjectRequest(button, wParam, lParam)) return object;
        return CallOldProc(button, message, wParam, lParam);
    default: return CallOldProc(button, message, wParam, lParam);
    }
}

void SetDrawState(HWND button, int state, bool force) {
    state = ShownState(button, state);
    if (state != GetDrawStateProp(button)) {
        SetSkinProp(button, kPropDrawState, state);
        DrawFace(button);
    } else if (force) {
        DrawFace(button);
    }
}

void SyncPushState(HWND button, bool pushed) {
    SetDrawState(button, PushState(button, pushed), false);
    DrawFace(button);
}

} // namespace skin
