#include "skin/tooltip.h"

#include "skin/props.h"
#include "skin/words.h"

#include <commctrl.h>

namespace skin {
namespace {

constexpr int kMaxTipWidth = 1024; // wide enough that only explicit line breaks wrap a tip

HWND g_toolTipWindow = nullptr;

HWND EnsureToolTipWindow() {
    if (g_toolTipWindow) return g_toolTipWindow;
    // The tooltip class comes with the common controls library, registered on request.
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    g_toolTipWindow = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                      nullptr, nullptr);
    SendMessageA(g_toolTipWindow, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    return g_toolTipWindow;
}

} // namespace

HWND ToolTipWindow() {
    return g_toolTipWindow;
}

void SetToolTip(HWND control, const char* text, int placement) {
    HWND tips = EnsureToolTipWindow();
    std::wstring words = Widen(text);
    TOOLINFOW tool{};
    // The record without its trailing reserved pointer, as every comctl32 version accepts it.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = control;
    tool.lpszText = words.data();
    if (GetSkinProp(control, kPropToolTips)) {
        SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    SetSkinProp(control, kPropToolTips, 1);
    tool.uFlags = TTF_SUBCLASS;
    if (!(placement & kToolTipNearPointer)) tool.uFlags |= TTF_CENTERTIP;
    GetClientRect(control, &tool.rect);
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace skin
