#include "skin/child_hooks.h"

#include "skin/caret.h"
#include "skin/props.h"
#include "skin/state_drawing.h"
#include "skin/window.h"

#include <map>

namespace skin {
namespace {

LRESULT CallReplaced(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto replaced = reinterpret_cast<WNDPROC>(GetProp(child, kPropChildWndProc));
    return CallWindowProcA(replaced, child, message, wParam, lParam);
}

void RecomposeParent(HWND child) {
    ComposeWindow(GetParent(child), false);
}

void SetStateAndRecompose(HWND child, int state) {
    SetProp(child, kPropDrawState, ShownState(child, state));
    RecomposeParent(child);
}

void HookChild(HWND child, WNDPROC proc) {
    const LONG_PTR replaced = SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetProp(child, kPropChildWndProc, replaced);
}

// Takes over the skinned children not taken over yet: their standalone drawing procedure goes, and
// buttons and text fields get the hooks that recompose the window.
void HookChildren(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int kind = Kind(child);
        if (kind == kKindNone) continue;
        // Inside a layered window no skinned child keeps its own drawing procedure.
        if (const intptr_t standalone = GetProp(child, kPropWndProc)) {
            SetWindowLongPtrA(child, GWLP_WNDPROC, standalone);
            RemoveProp(child, kPropWndProc);
        }
        if (GetProp(child, kPropChildWndProc)) continue;
        if (kind == kKindButton)
            HookChild(child, ButtonChildProc);
        else if (kind == kKindTextField)
            HookChild(child, TextChildProc);
    }
}

} // namespace

void SkinWindow::Refresh() {
    if (!IsWindow(window_)) return;
    // What to hook depends only on the children's skin properties: with none written since this window's
    // last walk there is nothing new to take over, and the walk (a server request per child and property
    // under Wine) is skipped. The program refreshes every 10 ms once Apply has started.
    static std::map<HWND, long> writesAtLastWalk;
    if (auto last = writesAtLastWalk.find(window_);
        last == writesAtLastWalk.end() || last->second != SkinWriteMark(window_))
        HookChildren(window_);
    writesAtLastWalk[window_] = SkinWriteMark(window_);
    ComposeWindow(window_, false);
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
