#include "app/runtime/window_loader.h"

#include "app/runtime/animation_box.h"
#include "app/runtime/focus.h"
#include "app/runtime/keyboard.h"
#include "app/runtime/label.h"
#include "app/runtime/loaded_window.h"
#include "app/runtime/timer_unit.h"
#include "app/runtime/window_procedure.h"
#include "skin/words.h"

namespace app {
namespace {

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
    return CreateWindowExA(exStyle, MAKEINTATOM(WindowClass()), def.title, WS_POPUP, left, top, def.width,
                           def.height, owner, nullptr, GetModuleHandleA(nullptr), &w);
}

} // namespace

bool LoadWindow(const WindowDefinition& def, HWND owner) {
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
    // user works in until the owned one is clicked. The focus waits for the created handler, which names the
    // unit it starts on.
    DeferFocus(w);
    ShowWindow(w.hwnd, owner ? SW_SHOWNA : SW_SHOW);
    w.loading = false;
    HWND hwnd = w.hwnd;
    FireHandler(def.created);
    if (IsWindow(hwnd)) FireHandler(def.moved);
    if (IsWindow(hwnd)) FireHandler(def.resized);
    if (LoadedWindow* still = RecordOf(hwnd)) PlaceFocus(*still);
    return IsWindow(hwnd);
}

} // namespace app
