#include "app/runtime/windows.h"

#include "app/runtime/animation_box.h"
#include "app/runtime/fatal_error.h"
#include "app/runtime/label.h"
#include "app/runtime/timer_unit.h"
#include "skin/owners.h"

#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace app {
namespace {

constexpr char kWindowClass[] = "ZentriloWindow";
constexpr char kMissingUnit[] = "指定窗口或窗口组件不存在或尚未载入";
constexpr char kWindowNotLoaded[] = "指定窗口尚未载入";
constexpr int kFirstKindProperty = 8;

struct LoadedUnit {
    explicit LoadedUnit(const UnitDefinition* d) : def(d) {}
    const UnitDefinition* def;
    HWND hwnd = nullptr;
    skin::FontOwner font; // the unit's own font, alive as long as the unit
};

// Rectangle and visibility written while a window is not loaded, applied when it is loaded next.
struct PendingUnit {
    std::optional<RECT> rect;
    std::optional<bool> visible;
};

struct LoadedWindow {
    explicit LoadedWindow(const WindowDefinition* d) : def(d) {}
    const WindowDefinition* def;
    HWND hwnd = nullptr;
    bool loading = false;
    std::optional<COLORREF> background;
    std::vector<LoadedUnit> units;
    std::map<std::string, PendingUnit> pending;
};

// Every window that was ever loaded keeps its record; hwnd is 0 while it is not loaded.
std::vector<std::unique_ptr<LoadedWindow>> g_windows;
bool g_loopEntered = false;

LoadedWindow& RecordOf(const WindowDefinition& def) {
    for (auto& w : g_windows)
        if (w->def == &def) return *w;
    g_windows.push_back(std::make_unique<LoadedWindow>(&def));
    return *g_windows.back();
}

LoadedWindow* RecordOf(HWND hwnd) {
    for (auto& w : g_windows)
        if (w->hwnd == hwnd) return w.get();
    return nullptr;
}

bool IsAlive(const LoadedWindow& w) {
    return w.hwnd && IsWindow(w.hwnd);
}

LoadedUnit* FindUnit(LoadedWindow& w, const char* name) {
    for (auto& u : w.units)
        if (std::strcmp(u.def->name, name) == 0) return &u;
    return nullptr;
}

const UnitDefinition* FindUnitDefinition(const WindowDefinition& def, const char* name) {
    for (const auto& u : def.units)
        if (std::strcmp(u.name, name) == 0) return &u;
    return nullptr;
}

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

bool ShowsWhenVisible(UnitKind kind) {
    return kind != UnitKind::TimerUnit && kind != UnitKind::AnimationObject;
}

void SetUnitVisible(const LoadedUnit& unit, bool visible) {
    if (!ShowsWhenVisible(unit.def->kind)) return;
    if (unit.def->kind == UnitKind::TransparentLabel)
        SetLabelVisible(unit.hwnd, visible);
    else
        ShowWindow(unit.hwnd, visible ? SW_SHOWNA : SW_HIDE);
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
    for (auto& other : g_windows)
        if (IsAlive(*other)) return;
    if (g_loopEntered) PostQuitMessage(0);
}

void StartDrag(HWND hwnd, LPARAM lParam) {
    ReleaseCapture();
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
}

LRESULT OnCommand(LoadedWindow& w, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return 0;
    for (auto& unit : w.units)
        if (unit.hwnd == reinterpret_cast<HWND>(lParam)) {
            Fire(unit.def->clicked);
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

// A unit's rectangle in its parent's client area; a top-level window's on the screen.
RECT UnitRect(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    HWND parent = GetParent(hwnd);
    if (parent && !(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_POPUP))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND CreateTopLevel(LoadedWindow& w, HWND owner) {
    const WindowDefinition& def = *w.def;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - def.width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - def.height) / 2;
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
    ShowWindow(w.hwnd, SW_SHOW);
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

namespace {

// A unit that stops taking input gives the focus back to its window, which keeps Esc and Tab working;
// the system would leave the focus nowhere.
void SetUnitEnabled(HWND unit, bool enabled) {
    const bool hadFocus = GetFocus() == unit;
    EnableWindow(unit, enabled);
    if (!enabled && hadFocus) SetFocus(GetAncestor(unit, GA_ROOT));
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
void RememberForNextLoad(LoadedWindow& w, const char* unit, int property, int value) {
    const UnitDefinition* def = unit ? FindUnitDefinition(*w.def, unit) : nullptr;
    if (!def) return;
    PendingUnit& p = w.pending[unit];
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
    LoadedUnit* u = FindUnit(w, unit);
    if (!u || !IsWindow(u->hwnd)) FatalError(kMissingUnit);
    switch (u->def->kind) {
    case UnitKind::TimerUnit:
        if (property == kPropInterval) SetTimerInterval(u->hwnd, value.number);
        break;
    case UnitKind::TransparentLabel:
        if (property == kPropText) SetLabelText(u->hwnd, value.text.c_str());
        break;
    case UnitKind::AnimationBox:
        if (property == kPropBoxColour) SetAnimationBoxColor(u->hwnd, static_cast<COLORREF>(value.number));
        break;
    default: break;
    }
}

} // namespace

void WriteUnitProperty(const WindowDefinition& def, const char* unit, int property, PropertyValue value) {
    LoadedWindow& w = RecordOf(def);
    if (!IsAlive(w)) {
        if (property >= kFirstKindProperty) FatalError(kWindowNotLoaded);
        RememberForNextLoad(w, unit, property, value.number);
        return;
    }
    if (property >= kFirstKindProperty) return WriteKindProperty(w, unit, property, value);
    switch (property) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: WriteGeometry(def, unit, property, value.number); break;
    case kPropVisible:
        if (unit) {
            UnitHandle(def, unit);
            SetUnitVisible(*FindUnit(w, unit), value.number != 0);
        } else {
            ShowWindow(w.hwnd, value.number ? SW_SHOW : SW_HIDE);
        }
        break;
    case kPropDisabled: SetUnitEnabled(UnitHandle(def, unit), value.number == 0); break;
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
    LoadedWindow& w = RecordOf(def);
    if (!unit)
        return property == kPropBackColour
                   ? static_cast<int>(w.background.value_or(GetSysColor(COLOR_BTNFACE)))
                   : 0;
    const LoadedUnit* u = FindUnit(w, unit);
    switch (u->def->kind) {
    case UnitKind::TimerUnit: return property == kPropInterval ? TimerInterval(hwnd) : 0;
    case UnitKind::AnimationBox:
        return property == kPropBoxColour ? static_cast<int>(AnimationBoxColor(hwnd)) : 0;
    default: return 0;
    }
}

void RaiseOwnedWindows(HWND owner) {
    constexpr UINT kRestack = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (auto& w : g_windows) {
        if (!IsAlive(*w) || GetWindow(w->hwnd, GW_OWNER) != owner || !IsWindowVisible(w->hwnd)) continue;
        // Moving it away and back is a real change of order, which every layer below carries out.
        SetWindowPos(w->hwnd, HWND_BOTTOM, 0, 0, 0, 0, kRestack);
        SetWindowPos(w->hwnd, HWND_TOP, 0, 0, 0, 0, kRestack);
    }
}

void RedrawNow(const WindowDefinition& def) {
    UpdateWindow(UnitHandle(def));
}

void CloseWindowAsync(const WindowDefinition& def) {
    PostMessageA(UnitHandle(def), kWindowCloseRequest, 0, 0);
}

namespace {

// Keys every loaded window understands wherever the focus is among its units: Esc closes the window
// that holds the focus, as a close request by the user would; Tab moves among the tab-stop units.
bool HandleKeys(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_ESCAPE && msg.wParam != VK_TAB)) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || !RecordOf(root)) return false;
    if (msg.wParam == VK_ESCAPE) {
        SendMessageA(root, WM_CLOSE, 0, 0);
        return true;
    }
    const bool back = GetKeyState(VK_SHIFT) < 0;
    if (HWND next = GetNextDlgTabItem(root, msg.hwnd == root ? nullptr : msg.hwnd, back)) SetFocus(next);
    return true;
}

// Restacks after each focus change: Wine's X11 driver raises a window's surface above the windows it
// owns when the focus moves into it.
void KeepOwnedWindowsAbove() {
    static HWND lastFocus = nullptr;
    HWND focus = GetFocus();
    if (focus == lastFocus) return;
    lastFocus = focus;
    if (focus) RaiseOwnedWindows(GetAncestor(focus, GA_ROOT));
}

} // namespace

int RunMessageLoop() {
    g_loopEntered = true;
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            if (HandleKeys(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            KeepOwnedWindowsAbove();
        }
        // Idle: sleep until the next message rather than spin.
        WaitMessage();
    }
}

} // namespace app
