#include "app/runtime/windows.h"

#include "app/runtime/alert.h"
#include "app/runtime/animation_box.h"
#include "app/runtime/fatal_error.h"
#include "app/runtime/focus.h"
#include "app/runtime/keyboard.h"
#include "app/runtime/label.h"
#include "app/runtime/loaded_window.h"
#include "app/runtime/message_loop.h"
#include "app/runtime/timer_unit.h"
#include "app/runtime/unit_state.h"
#include "skin/words.h"

namespace app {
namespace {

constexpr char kWindowClass[] = "ZentriloWindow";
constexpr char kMissingUnit[] = "指定窗口或窗口组件不存在或尚未载入";
constexpr WPARAM kSystemCommandBits = 0xFFF0; // the low four bits of a system command are the system's own

ATOM g_windowClass = 0;

void Fire(Handler handler) {
    if (handler) handler();
}

HFONT MakeUnitFont(const UnitDefinition& unit) {
    if (!unit.label || !unit.label->font.face) return nullptr;
    LOGFONTW lf{};
    lf.lfHeight = unit.label->font.height;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = PROOF_QUALITY;
    lstrcpynW(lf.lfFaceName, skin::Widen(unit.label->font.face).c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

HWND CreateUnit(HWND parent, const UnitDefinition& unit, int id, HFONT font) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    switch (unit.kind) {
    case UnitKind::PushButton: {
        DWORD style = WS_CHILD | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER;
        if (unit.tabStop) style |= WS_TABSTOP;
        HWND button =
            CreateWindowExA(0, "BUTTON", nullptr, style, unit.left, unit.top, unit.width, unit.height, parent,
                            reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
        // Its text is what screen readers say.
        skin::SetWindowWords(button, unit.caption ? unit.caption : "按钮");
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return button;
    }
    case UnitKind::TimerUnit: return CreateTimerUnit(parent, unit);
    case UnitKind::TransparentLabel: return CreateTransparentLabel(parent, unit, font);
    case UnitKind::AnimationBox:
        return CreateAnimationBox(parent, unit.left, unit.top, unit.width, unit.height, false, unit.tabStop);
    case UnitKind::AnimationObject:
        // A sprite prototype is never shown; its window only gives it a handle like every unit.
        return CreateWindowExA(0, "STATIC", unit.name, WS_CHILD, unit.left, unit.top, unit.width, unit.height,
                               parent, nullptr, instance, nullptr);
    }
    return nullptr;
}

void CreateUnits(LoadedWindow& w) {
    HWND above = nullptr;
    int id = 1;
    for (const auto& def : w.def->units) {
        LoadedUnit unit(&def);
        unit.font.reset(MakeUnitFont(def));
        unit.hwnd = CreateUnit(w.hwnd, def, id++, unit.font.get());
        // Stacking follows the definition: each unit directly below the one before it.
        SetWindowPos(unit.hwnd, above ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (def.disabled) EnableWindow(unit.hwnd, FALSE);
        above = unit.hwnd;
        w.units.push_back(std::move(unit));
    }
    auto& waiting = SlotOf(*w.def).pending;
    for (auto& unit : w.units) {
        const PendingUnit* pending = nullptr;
        if (auto it = waiting.find(unit.def->name); it != waiting.end()) pending = &it->second;
        if (pending && pending->rect) {
            const RECT& r = *pending->rect;
            MoveWindow(unit.hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        }
        const bool visible = pending && pending->visible ? *pending->visible : unit.def->visible;
        if (visible && ShowsWhenVisible(unit.def->kind)) ShowWindow(unit.hwnd, SW_SHOWNA);
    }
    waiting.clear();
}

HICON WindowIcon(int id) {
    // Loaded once and kept for the process: both windows' lifetimes end with it anyway.
    static HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    return icon;
}

void OnDestroyed(HWND hwnd, LoadedWindow& w) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    SlotOf(*w.def).window.reset();
    for (const auto& slot : WindowSlots())
        if (slot->window) return;
    if (MessageLoopEntered()) PostQuitMessage(0);
}

void StartDrag(HWND hwnd, LPARAM lParam) {
    ReleaseCapture();
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
}

// A click may have been queued before its unit stopped taking input or went away (an accessibility
// client's default action is posted, and a client may ask twice before the first is handled): it then
// does nothing, as a click on a disabled button would.
LRESULT OnCommand(LoadedWindow& w, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return 0;
    for (auto& unit : w.units)
        if (unit.hwnd == reinterpret_cast<HWND>(lParam)) {
            if (IsWindowEnabled(unit.hwnd)) Fire(unit.def->clicked);
            break;
        }
    return 0;
}

bool EraseBackground(const LoadedWindow& w, HDC dc) {
    if (!w.background) return false;
    RECT rect;
    GetClientRect(w.hwnd, &rect);
    skin::BrushOwner brush(CreateSolidBrush(*w.background));
    FillRect(dc, &rect, brush.get());
    return true;
}

// A minimise need not deactivate the window: with no other window to take the activation (no window
// manager) it stays active. The unit that had the focus is noted before the minimise, or the next
// activation would restore an older one. The record may be gone once a restore is over.
LRESULT OnSystemCommand(LoadedWindow& w, WPARAM command, LPARAM lParam) {
    const WPARAM kind = command & kSystemCommandBits;
    HWND hwnd = w.hwnd;
    if (kind == SC_MINIMIZE) RememberFocus(w);
    if (kind == SC_RESTORE) BeginRestore(w);
    const LRESULT answer = DefWindowProcA(hwnd, WM_SYSCOMMAND, command, lParam);
    if (LoadedWindow* still = RecordOf(hwnd); still && kind == SC_RESTORE) FinishRestore(*still);
    return answer;
}

// An activation with a unit to return to gives that unit the focus itself; the system's own placement, on
// the window, is skipped. A minimised window takes no focus, and one being restored takes it when the
// restore is over.
bool OnActivate(LoadedWindow& w, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus(w);
        return false;
    }
    return !HIWORD(wParam) && !w.focus.restoring && RestoreFocus(w);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<LoadedWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* w = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!w) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: return OnCommand(*w, wParam, lParam);
    case WM_ACTIVATE:
        if (OnActivate(*w, wParam)) return 0;
        break;
    case WM_SYSCOMMAND: return OnSystemCommand(*w, wParam, lParam);
    case WM_GETOBJECT:
        if (LRESULT alert = AnswerAlert(*w, wParam, lParam)) return alert;
        break;
    case WM_LBUTTONDOWN:
        if (w->def->dragAnywhere) StartDrag(hwnd, lParam);
        return 0;
    case WM_MOVE:
        if (!w->loading) Fire(w->def->moved);
        return 0;
    case WM_SIZE:
        if (!w->loading) Fire(w->def->resized);
        return 0;
    case WM_ERASEBKGND:
        if (EraseBackground(*w, reinterpret_cast<HDC>(wParam))) return 1;
        break;
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE: ChangeUiState(*w, wParam); return 0;
    case WM_QUERYUISTATE: return w->uiState;
    case kWindowCloseRequest: DestroyWindow(hwnd); return 0;
    case WM_NCDESTROY: OnDestroyed(hwnd, *w); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateTopLevel(LoadedWindow& w, HWND owner) {
    const WindowDefinition& def = *w.def;
    int left = (GetSystemMetrics(SM_CXSCREEN) - def.width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - def.height) / 2;
    // An owned window is loaded again long after its owner may have been dragged away from the centre.
    if (owner) {
        const RECT ownerRect = UnitRect(owner);
        left = ownerRect.left;
        top = ownerRect.top;
    }
    // An unowned window gets a taskbar button of its own, an owned one never does.
    const DWORD exStyle = def.taskbarButton || owner ? 0 : WS_EX_TOOLWINDOW;
    // The window finds its record from its first message on.
    return CreateWindowExA(exStyle, kWindowClass, def.title, WS_POPUP, left, top, def.width, def.height,
                           owner, nullptr, GetModuleHandleA(nullptr), &w);
}

} // namespace

LoadedWindow* RecordOf(HWND hwnd) {
    if (!hwnd || !g_windowClass || GetClassLongPtrA(hwnd, GCW_ATOM) != g_windowClass) return nullptr;
    return reinterpret_cast<LoadedWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

bool LoadWindow(const WindowDefinition& def, HWND owner) {
    if (!g_windowClass)
        g_windowClass =
            RegisterUnitClass(kWindowClass, WindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    WindowSlot& slot = SlotOf(def);
    if (slot.window) {
        if (IsIconic(slot.window->hwnd))
            ShowWindow(slot.window->hwnd, SW_RESTORE);
        else
            SetActiveWindow(slot.window->hwnd);
        return true;
    }
    slot.window = std::make_unique<LoadedWindow>(&def);
    LoadedWindow& w = *slot.window;
    w.uiState = kCuesHiddenUiState;
    if (!CreateTopLevel(w, owner)) {
        slot.window.reset();
        return false;
    }
    if (def.iconId) {
        HICON icon = WindowIcon(def.iconId);
        SendMessageA(w.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(w.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    CreateUnits(w);
    // Shown before its events, so that windows its created handler loads (owned by it) stack above it.
    // An owned window does not take the activation from its owner: the keys stay with the window the
    // user works in until the owned one is clicked.
    ShowWindow(w.hwnd, owner ? SW_SHOWNA : SW_SHOW);
    w.loading = false;
    HWND hwnd = w.hwnd;
    Fire(def.created);
    if (IsWindow(hwnd)) Fire(def.moved);
    if (IsWindow(hwnd)) Fire(def.resized);
    return IsWindow(hwnd);
}

bool IsCreated(const WindowDefinition& def, const char* unit) {
    LoadedWindow* w = SlotOf(def).window.get();
    if (!w || !IsWindow(w->hwnd)) return false;
    if (!unit) return true;
    LoadedUnit* u = FindUnit(*w, unit);
    return u && IsWindow(u->hwnd);
}

LoadedWindow& RequireWindow(const WindowDefinition& def) {
    if (!IsCreated(def)) FatalError(kMissingUnit);
    return *SlotOf(def).window;
}

LoadedUnit& RequireUnit(const WindowDefinition& def, const char* unit) {
    if (!IsCreated(def, unit)) FatalError(kMissingUnit);
    return *FindUnit(*SlotOf(def).window, unit);
}

HWND UnitHandle(const WindowDefinition& def, const char* unit) {
    return unit ? RequireUnit(def, unit).hwnd : RequireWindow(def).hwnd;
}

void RedrawNow(const WindowDefinition& def) {
    UpdateWindow(UnitHandle(def));
}

void CloseWindowAsync(const WindowDefinition& def) {
    PostMessageA(UnitHandle(def), kWindowCloseRequest, 0, 0);
}

} // namespace app
