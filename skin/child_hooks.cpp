#include "skin/child_hooks.h"

#include "skin/accessible.h"
#include "skin/caret.h"
#include "skin/props.h"
#include "skin/state_drawing.h"
#include "skin/window.h"

namespace skin {
namespace {

LRESULT CallReplaced(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto replaced = reinterpret_cast<WNDPROC>(GetSkinProp(child, kPropChildWndProc));
    return CallWindowProcA(replaced, child, message, wParam, lParam);
}

void RecomposeParent(HWND child) {
    ComposeWindow(GetParent(child), false);
}

void SetStateAndRecompose(HWND child, int state) {
    SetSkinProp(child, kPropDrawState, ShownState(child, state));
    RecomposeParent(child);
}

// Records on the child's window whether it shows focus cues, as its top-level window answers once it has
// told its children of a change (cues are hidden until the keyboard is used; a window that never says
// otherwise keeps them hidden). Kept as a property so that every input of the frame changes through the
// property store. Returns whether it changed.
bool SyncFocusCues(HWND child) {
    const LRESULT uiState = SendMessageA(GetAncestor(child, GA_ROOT), WM_QUERYUISTATE, 0, 0);
    const int shown = uiState & UISF_HIDEFOCUS ? 0 : 1;
    HWND window = GetParent(child);
    if (GetSkinProp(window, kPropFocusCues) == shown) return false;
    SetSkinProp(window, kPropFocusCues, shown);
    return true;
}

void HookChild(HWND child, WNDPROC proc) {
    const LONG_PTR replaced = SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetSkinProp(child, kPropChildWndProc, replaced);
}

// Takes over the skinned children not taken over yet: their standalone drawing procedure goes, and
// buttons and text fields get the hooks that recompose the window.
void HookChildren(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int kind = Kind(child);
        if (kind == kKindNone) continue;
        // Inside a layered window no skinned child keeps its own drawing procedure.
        if (const intptr_t standalone = GetSkinProp(child, kPropWndProc)) {
            SetWindowLongPtrA(child, GWLP_WNDPROC, standalone);
            RemoveSkinProp(child, kPropWndProc);
        }
        if (GetSkinProp(child, kPropChildWndProc)) continue;
        if (kind == kKindButton) {
            // It may have taken the focus before it was skinned.
            SetSkinProp(child, kPropIsFocus, GetFocus() == child ? 1 : 0);
            HookChild(child, ButtonChildProc);
        } else if (kind == kKindTextField)
            HookChild(child, TextChildProc);
    }
}

} // namespace

void SkinWindow::Refresh() {
    if (!IsWindow(window_)) return;
    // What to hook depends only on the children's skin properties: with none written since this window's
    // last walk there is nothing new to take over, and the walk (a server request per child and property
    // under Wine) is skipped. The program refreshes every 10 ms once Apply has started.
    ComposeAfterWalk(window_, HookChildren);
}

LRESULT CALLBACK ButtonChildProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        const int state = GetDrawStateProp(child);
        if (state == kStateHover || state == kStatePressed) break;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, child, 0};
        TrackMouseEvent(&track);
        SetStateAndRecompose(child, kStateHover);
        break;
    }
    case WM_MOUSELEAVE: SetStateAndRecompose(child, kStateNormal); break;
    case WM_LBUTTONDOWN: SetStateAndRecompose(child, kStatePressed); break;
    case WM_LBUTTONUP:
        SetStateAndRecompose(child, GetDrawStateProp(child) == kStatePressed ? kStateHover : kStateNormal);
        break;
    case WM_ENABLE: SetStateAndRecompose(child, wParam ? kStateNormal : kStateDisabled); break;
    // The focus cue is part of the frame: the focus and whether cues are shown recompose it.
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        SetSkinProp(child, kPropIsFocus, message == WM_SETFOCUS ? 1 : 0);
        RecomposeParent(child);
        break;
    case WM_UPDATEUISTATE: {
        const LRESULT result = CallReplaced(child, message, wParam, lParam);
        if (SyncFocusCues(child)) RecomposeParent(child);
        return result;
    }
    case WM_GETOBJECT:
        if (LRESULT object = AnswerObjectRequest(child, wParam, lParam)) return object;
        break;
    default: break;
    }
    return CallReplaced(child, message, wParam, lParam);
}

LRESULT CALLBACK TextChildProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS: {
        CaretTracker& caret = Caret();
        caret.phase = 0;
        caret.host = GetParent(child);
        caret.child = child;
        break;
    }
    case WM_KILLFOCUS: {
        CaretTracker& caret = Caret();
        caret.child = nullptr;
        caret.host = nullptr;
        break;
    }
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_SETTEXT:
    case WM_CUT:
    case WM_PASTE:
    case WM_KEYDOWN:
    case WM_LBUTTONUP: break;
    default: return CallReplaced(child, message, wParam, lParam);
    }
    // The frame shows the field after it has handled the message.
    const LRESULT result = CallReplaced(child, message, wParam, lParam);
    RecomposeParent(child);
    return result;
}

} // namespace skin
