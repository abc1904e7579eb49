// MainWindow for keyboard and screen-reader users, in-process: the window is active at start with the
// focus on the selected option, the focus cue shows only once the keyboard moves the focus, Tab, the
// arrow keys and Enter carry a whole Apply while the buttons' accessible objects tell their names, roles
// and states, and the focus comes back where it was when the window is activated or restored again.
#include "app/apply.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/runtime/keyboard.h"
#include "app/runtime/ui_thread.h"
#include "app/runtime/under_wine.h"
#include "app/runtime/unit_lookup.h"
#include "app/runtime/unit_properties.h"
#include "app/runtime/window_loader.h"
#include "skin/accessible.h"
#include "skin/window.h"
#include "tests/support/child_process.h"
#include "tests/support/layered_fixture.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

using namespace app;

namespace {

struct Told {
    std::wstring name;
    long role = 0;
    long state = 0;
};

// What an accessibility client learns of a window's client area.
Told Ask(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
        !object) {
        ADD_FAILURE() << "no accessible object";
        return {};
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    Told told;
    BSTR name = nullptr;
    object->get_accName(self, &name);
    if (name) told.name = name;
    SysFreeString(name);
    VARIANT value{};
    object->get_accRole(self, &value);
    told.role = value.lVal;
    object->get_accState(self, &value);
    told.state = value.lVal;
    object->Release();
    return told;
}

HWND Unit(const char* name) {
    return UnitHandle(kMainWindow, name);
}

// A key press as the message loop sees it, with Shift down or up.
void Press(WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    const MSG msg{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_TRUE(HandleWindowKeys(msg)) << "key " << key;
}

ProgramRun Succeed(const char*, const char*, int) {
    return {true, true, 0};
}

void PumpUntilEnded(HANDLE thread) {
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        layered_test::PumpMessages();
        if (woke == WAIT_OBJECT_0) return;
    }
}

std::vector<std::uint32_t> Frame(HWND window) {
    return layered_test::FramePixels(skin::ComposeWindow(window, true).get());
}

class Access : public testing::Test {
  protected:
    void SetUp() override {
        InitUiThread(); // the worker's steps run on this thread, as in the program
        ASSERT_TRUE(LoadWindow(kMainWindow));
        main_ = UnitHandle(kMainWindow);
        layered_test::PumpMessages();
    }
    void TearDown() override { DestroyWindow(main_); }
    HWND main_ = nullptr;
};

TEST_F(Access, StartsActiveAndShowsTheFocusCueOnlyOnceTheKeyboardMovesTheFocus) {
    EXPECT_EQ(GetActiveWindow(), main_) << "the overlay took the activation";
    EXPECT_EQ(GetFocus(), Unit(units::kOption100)) << "a screen reader starts on the selected option";

    const auto start = Frame(main_);
    SetFocus(Unit(units::kOption125)); // where a click leaves the focus
    EXPECT_EQ(Frame(main_), start) << "a mouse user sees the focus nowhere";

    SetFocus(main_);
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), Unit(units::kOption100));
    const auto cue = Frame(main_);
    RECT option{};
    GetWindowRect(Unit(units::kOption100), &option);
    MapWindowPoints(HWND_DESKTOP, main_, reinterpret_cast<POINT*>(&option), 2);
    const LONG width = option.right - option.left;
    int light = 0, dark = 0, outside = 0;
    for (size_t i = 0; i < cue.size(); ++i) {
        if (cue[i] == start[i]) continue;
        const POINT p{static_cast<LONG>(i % 800), static_cast<LONG>(i / 800)};
        outside += !PtInRect(&option, p);
        light += (cue[i] & 0xFFFFFF) == 0xFFFFFF;
        dark += (cue[i] & 0xFFFFFF) == 0;
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(light, width) << "a light ring, seen on the dark band";
    EXPECT_GT(dark, width) << "a dark ring, seen on light faces";
}

// Another program takes the activation and gives it back, or the window is minimised and restored;
// meanwhile the focused unit may stop taking input, and the focus then goes on to the next one in Tab
// order. A unit chosen while Apply works keeps the focus, through its end too.
TEST_F(Access, TheFocusComesBackWhereItWasWhenTheWindowIsActivatedOrRestored) {
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                                 nullptr, nullptr);
    const auto awayAndBack = [&](const std::function<void()>& meanwhile) {
        SetForegroundWindow(other);
        EXPECT_NE(GetActiveWindow(), main_);
        meanwhile();
        SetForegroundWindow(main_);
        layered_test::PumpMessages();
        return GetFocus();
    };
    SetFocus(Unit(units::kOption150));
    EXPECT_EQ(awayAndBack([] {}), Unit(units::kOption150));
    // A minimise with no window manager leaves the window active, so nothing but the minimise itself notes
    // the unit that has the focus.
    SetFocus(Unit(units::kOption125));
    SendMessageA(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(main_, WM_SYSCOMMAND, SC_RESTORE, 0);
    layered_test::PumpMessages();
    EXPECT_EQ(GetFocus(), Unit(units::kOption125)) << "restored to the unit noted before";
    const ProgramRunner previous = SetProgramRunner(Succeed);
    SetFocus(Unit(units::kApply));
    Press(VK_RETURN);
    SetFocus(Unit(units::kOption100));
    EXPECT_EQ(awayAndBack([] {}), Unit(units::kOption100));
    PumpUntilEnded(g_app.applyThread.get());
    SetProgramRunner(previous);
    EXPECT_EQ(GetFocus(), Unit(units::kOption100));
    SetFocus(Unit(units::kLogOff));
    EXPECT_EQ(awayAndBack([] { WriteUnitProperty(kMainWindow, units::kLogOff, kPropDisabled, 1); }),
              Unit(units::kClose));
    DestroyWindow(other);
}

TEST_F(Access, KeyboardCarriesApplyWhileTheButtonsTellWhatTheyAre) {
    constexpr long kOption = ROLE_SYSTEM_RADIOBUTTON, kPush = ROLE_SYSTEM_PUSHBUTTON;
    constexpr long kChecked = STATE_SYSTEM_CHECKED, kFocused = STATE_SYSTEM_FOCUSED,
                   kFocusable = STATE_SYSTEM_FOCUSABLE, kUnavailable = STATE_SYSTEM_UNAVAILABLE;
    struct Expected {
        const char* unit;
        std::wstring name;
        long role, state;
    };
    const auto expect = [](const std::vector<Expected>& all) {
        for (const Expected& e : all) {
            const Told told = Ask(Unit(e.unit));
            EXPECT_EQ(told.name, e.name) << e.unit;
            if (e.role) {
                EXPECT_EQ(told.role, e.role) << e.unit;
            }
            EXPECT_EQ(told.state, e.state) << e.unit;
        }
    };
    constexpr long kInvisible = STATE_SYSTEM_INVISIBLE;
    expect(
        {{units::kOption100, L"正常-100% (默认)", kOption, kFocusable | kFocused | kChecked},
         {units::kOption125, L"中等-125%", kOption, kFocusable},
         {units::kOption150, L"较大-150%", kOption, kFocusable},
         {units::kApply, L"应用", kPush, kFocusable},
         {units::kLogOff, L"注销", 0, kUnavailable | kInvisible}, // the platform's own until Apply skins it
         {units::kClose, L"关闭", kPush, kFocusable}});
    EXPECT_EQ(Ask(g_app.stepPicture.Handle()).state & kInvisible, kInvisible) << "the empty picture box";

    // Tab runs top to bottom and wraps; Shift+Tab goes back; Log off, not offered yet, is passed over.
    std::vector<HWND> visited;
    for (int i = 0; i < 5; ++i) {
        Press(VK_TAB);
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited,
              (std::vector<HWND>{Unit(units::kOption125), Unit(units::kOption150), Unit(units::kApply),
                                 Unit(units::kClose), Unit(units::kOption100)}));
    Press(VK_TAB, true);
    EXPECT_EQ(GetFocus(), Unit(units::kClose));

    // The arrows move among the options and select the one they reach, wrapping at the ends.
    SetFocus(Unit(units::kOption100));
    Press(VK_UP);
    EXPECT_EQ(g_app.largeSelected, 1);
    Press(VK_DOWN);
    Press(VK_UP);
    EXPECT_EQ(SelectedLogPixels(), 144) << "150 %, then 100 %, then 150 %: no flag of 100 % is left";
    Press(VK_DOWN);
    Press(VK_RIGHT);
    EXPECT_EQ(GetFocus(), Unit(units::kOption125));
    EXPECT_EQ(g_app.mediumSelected, 1);
    expect({{units::kOption100, L"正常-100% (默认)", kOption, kFocusable},
            {units::kOption125, L"中等-125%", kOption, kFocusable | kFocused | kChecked},
            {units::kOption150, L"较大-150%", kOption, kFocusable}});

    // Enter on Apply: Apply is unavailable while it works, and the focus then waits for Log off.
    const ProgramRunner previous = SetProgramRunner(Succeed);
    Press(VK_TAB);
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), Unit(units::kApply));
    Press(VK_RETURN);
    EXPECT_EQ(Ask(Unit(units::kApply)).state, kUnavailable);
    PumpUntilEnded(g_app.applyThread.get());
    SetProgramRunner(previous);
    ASSERT_FALSE(IsCreated(kMainWindow, units::kApply));
    EXPECT_EQ(GetFocus(), Unit(units::kLogOff));
    expect({{units::kLogOff, L"注销", kPush, kFocusable | kFocused},
            {units::kOption125, L"中等-125%", kOption, kFocusable | kChecked}});
    const auto cueOnLogOff = Frame(main_); // Log off was skinned after the keyboard brought the cues up
    SetFocus(main_);
    EXPECT_NE(Frame(main_), cueOnLogOff);
    SetFocus(Unit(units::kLogOff));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Unit(units::kClose)) << "Log off takes Apply's place in the tab order";

    // Asked in this order: no child, no value, no selection, no focus or press once unavailable or hidden.
    HWND option = Unit(units::kOption150);
    IAccessible* object = skin::NewButtonAccessible(option);
    VARIANT self{}, other{}, end{};
    self.vt = other.vt = VT_I4; // self.lVal is CHILDID_SELF
    other.lVal = 1;
    BSTR none = nullptr;
    long topic = 0;
    const auto focus = [&] { return object->accSelect(SELFLAG_TAKEFOCUS, self); };
    const HRESULT answers[][2]{{object->accNavigate(NAVDIR_NEXT, other, &end), E_INVALIDARG},
                               {object->accNavigate(NAVDIR_FIRSTCHILD, self, &end), S_FALSE},
                               {object->get_accHelpTopic(&none, other, &topic), E_INVALIDARG},
                               {object->put_accValue(self, nullptr), DISP_E_MEMBERNOTFOUND},
                               {object->accSelect(SELFLAG_TAKESELECTION, self), E_INVALIDARG},
                               {(EnableWindow(option, FALSE), focus()), E_FAIL},
                               {(EnableWindow(option, TRUE), ShowWindow(option, SW_HIDE), focus()), E_FAIL},
                               {object->accDoDefaultAction(self), E_FAIL}};
    for (size_t i = 0; i < std::size(answers); ++i)
        EXPECT_EQ(answers[i][0], answers[i][1]) << "call " << i;
    object->Release();
}

// Every focus change the system makes in MainWindow on this thread, as the unit or window that takes it
// (nullptr: none). A screen reader announces each one.
std::vector<HWND> g_focusChanges;

bool InMainWindow(HWND window) {
    return window && GetAncestor(window, GA_ROOT) == FindWindowA("ZentriloWindow", "Zentrilo");
}

LRESULT CALLBACK RecordFocus(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT refused = CallNextHookEx(nullptr, code, wParam, lParam);
    const auto gets = reinterpret_cast<HWND>(wParam), loses = reinterpret_cast<HWND>(lParam);
    if (code == HCBT_SETFOCUS && !refused && (InMainWindow(gets) || InMainWindow(loses)))
        g_focusChanges.push_back(gets);
    return refused;
}

// The box runs its own message loop on this thread, which runs this timer: what comes after the answer.
void CALLBACK AnswerFailureBox(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = child_process::FindBox("应用失败")) {
        g_focusChanges.clear();
        child_process::AnswerBox(box);
    }
}

ProgramRun FailToStart(const char*, const char*, int) {
    return {};
}

// At start, on pressing Apply, when a failure's box is answered and on a restore, the focus moves once, and
// straight to where it goes: on the paths Wine takes and on those Windows takes.
TEST(FocusChanges, EachMomentMovesTheFocusOnceStraightToItsUnit) {
    InitUiThread();
    const ProgramRunner previous = SetProgramRunner(FailToStart);
    for (const bool windowsPaths : {false, true}) {
        SCOPED_TRACE(windowsPaths ? "the paths Windows takes" : "the paths Wine takes");
        TakeWindowsPaths(windowsPaths);
        const HHOOK hook = SetWindowsHookExA(WH_CBT, RecordFocus, nullptr, GetCurrentThreadId());
        g_focusChanges.clear();
        ASSERT_TRUE(LoadWindow(kMainWindow));
        layered_test::PumpMessages();
        const HWND main = UnitHandle(kMainWindow);
        EXPECT_EQ(g_focusChanges, std::vector<HWND>{Unit(units::kOption100)}) << "at start";

        SetFocus(Unit(units::kApply));
        g_focusChanges.clear();
        Press(VK_RETURN);
        EXPECT_EQ(g_focusChanges, std::vector<HWND>{main}) << "pressing Apply: the window holds it";
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerFailureBox);
        PumpUntilEnded(g_app.applyThread.get());
        KillTimer(nullptr, timer);
        EXPECT_EQ(g_focusChanges, std::vector<HWND>{Unit(units::kApply)}) << "the failure's box answered";

        SetFocus(Unit(units::kOption125));
        SendMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        g_focusChanges.clear();
        SendMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);
        layered_test::PumpMessages();
        EXPECT_EQ(g_focusChanges, std::vector<HWND>{Unit(units::kOption125)}) << "restored";
        UnhookWindowsHookEx(hook);
        DestroyWindow(main);
    }
    TakeWindowsPaths(false);
    SetProgramRunner(previous);
}

} // namespace
