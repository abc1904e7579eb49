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

namespace app {
namespace {

constexpr char kWindowClass[] = "ZentriloWindow";
constexpr char kMissingUnit[] = "指定窗口或窗口组件不存在或尚未载入";

void Fire(Handler handler) {
    if (handler) handler();
}

HFONT MakeUnitFont(const UnitDefinition& unit) {
    if (!unit.label || !unit.label->font.face) return nullptr;
    LOGFONTA lf{};
    lf.lfHeight = unit.label->font.height;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = PROOF_QUALITY;
    lstrcpynA(lf.lfFaceName, unit.label->font.face, LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

HWND CreateUnit(HWND parent, const UnitDefinition& unit, int id, HFONT font) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    switch (unit.kind) {
    case UnitKind::PushButton: {
        DWORD style = WS_CHILD | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER;
        if (unit.tabStop) style |= WS_TABSTOP;
        HWND button = CreateWindowExA(0, "BUTTON", unit.caption ? unit.caption : "按钮", style, unit.left,
                                      unit.top, unit.width, unit.height, parent,
                                      reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
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
    w.units.clear();
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
    for (auto& unit : w.units) {
        const PendingUnit* pending = nullptr;
        if (auto it = w.pending.find(unit.def->name); it != w.pending.end()) pending = &it->second;
        if (pending && pending->rect) {
            const RECT& r = *pending->rect;
            MoveWindow(unit.hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        }
        const bool visible = pending && pending->visible ? *pending->visible : unit.def->visible;
        if (visible && ShowsWhenVisible(unit.def->kind)) ShowWindow(unit.hwnd, SW_SHOWNA);
    }
    w.pending.clear();
}

HICON WindowIcon(int id) {
    // Loaded once and kept for the process: both windows' lifetimes end with it anyway.
    static HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    return icon;
}

void OnDestroyed(LoadedWindow& w) {
    w.hwnd = nullptr;
    w.units.clear();
    for (auto& other : LoadedWindows())
        if (IsAlive(*other)) return;
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

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LoadedWindow* w = RecordOf(hwnd);
    if (!w) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: return OnCommand(*w, wParam, lParam);
    case WM_ACTIVATE:
        if (FocusPlacedOnActivation(*w, wParam)) return 0;
        break;
    case WM_SYSCOMMAND: return CarryOutSystemCommand(*w, wParam, lParam);
    case WM_GETOBJECT:
        if (LRESULT alert = AnswerAlert(hwnd, wParam, lParam)) return alert;
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
    case WM_NCDESTROY: OnDestroyed(*w); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterWindowClass() {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kWindowClass;
        return RegisterClassA(&wc);
    }();
    (void)atom;
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
    // The record must know its handle before the first message that needs it arrives.
    w.hwnd = CreateWindowExA(exStyle, kWindowClass, def.title, WS_POPUP, left, top, def.width, def.height,
                             owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    return w.hwnd;
}

} // namespace

bool LoadWindow(const WindowDefinition& def, HWND owner) {
    RegisterWindowClass();
    LoadedWindow& w = RecordOf(def);
    if (IsAlive(w)) {
        if (IsIconic(w.hwnd))
            ShowWindow(w.hwnd, SW_RESTORE);
        else
            SetActiveWindow(w.hwnd);
        return true;
    }
    w.loading = true;
    w.background.reset();
    w.focus = {};
    w.uiState = kCuesHiddenUiState;
    if (!CreateTopLevel(w, owner)) {
        w.loading = false;
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
    LoadedWindow& w = RecordOf(def);
    if (!IsAlive(w)) return false;
    if (!unit) return true;
    LoadedUnit* u = FindUnit(w, unit);
    return u && IsWindow(u->hwnd);
}

HWND UnitHandle(const WindowDefinition& def, const char* unit) {
    if (!IsCreated(def, unit)) FatalError(kMissingUnit);
    LoadedWindow& w = RecordOf(def);
    return unit ? FindUnit(w, unit)->hwnd : w.hwnd;
}

void RedrawNow(const WindowDefinition& def) {
    UpdateWindow(UnitHandle(def));
}

void CloseWindowAsync(const WindowDefinition& def) {
    PostMessageA(UnitHandle(def), kWindowCloseRequest, 0, 0);
}

} // namespace app
