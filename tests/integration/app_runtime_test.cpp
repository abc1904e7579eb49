// The application runtime on real windows: loading from definitions, units by name, the timer, the
// transparent label, starting programs, the log-off edge and the fatal-error box.
#include "app/runtime/fatal_error.h"
#include "app/runtime/process.h"
#include "app/runtime/shutdown.h"
#include "app/runtime/timer_unit.h"
#include "app/runtime/ui_thread.h"
#include "app/runtime/unit_lookup.h"
#include "app/runtime/unit_properties.h"
#include "app/runtime/window_closing.h"
#include "app/runtime/window_loader.h"
#include "skin/owners.h"
#include "tests/support/child_process.h"
#include "tests/support/layered_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace app;
using layered_test::PumpFor;

namespace {

std::vector<std::string> g_events;
int g_ticks = 0;

constexpr LabelSettings kLabel{
    "标签", RGB(255, 255, 255),   {"微软雅黑", -19}, TextEffect::None, TextAlign::Left,
    false,  VerticalAlign::Centre};

const UnitDefinition kUnits[] = {
    {"一", UnitKind::PushButton, 10, 10, 100, 30, true, false, true, "按钮"},
    {"二", UnitKind::PushButton, 20, 20, 100, 30, true, true, true, "按钮"},
    {"时钟", UnitKind::TimerUnit, 0, 0, 20, 20, true, false, false, nullptr, nullptr, nullptr,
     [] { ++g_ticks; }},
    {"标签", UnitKind::TransparentLabel, 10, 100, 200, 40, true, false, false, nullptr, &kLabel},
    {"原型", UnitKind::AnimationObject, 0, 0, 40, 30, true, false, false},
    {"藏", UnitKind::PushButton, 10, 200, 50, 20, false, false, false, "藏"},
};

const WindowDefinition kTestWindow{"TestWindow",
                                   "测试窗口",
                                   400,
                                   300,
                                   true,
                                   true,
                                   0,
                                   [] { g_events.push_back("created"); },
                                   [] { g_events.push_back("moved"); },
                                   [] { g_events.push_back("resized"); },
                                   kUnits};

class Runtime : public ::testing::Test {
  protected:
    void SetUp() override {
        g_events.clear();
        g_ticks = 0;
        ASSERT_TRUE(LoadWindow(kTestWindow));
        window = UnitHandle(kTestWindow);
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
    }
    HWND window = nullptr;
};

TEST_F(Runtime, LoadsCentredFramelessWithEventsInOrder) {
    EXPECT_EQ(g_events, (std::vector<std::string>{"created", "moved", "resized"}));
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 300) / 2);
    EXPECT_EQ(r.right - r.left, 400);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU));
    char title[64];
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "测试窗口");
    // Loading again only activates: no second window, no events.
    EXPECT_TRUE(LoadWindow(kTestWindow));
    EXPECT_EQ(UnitHandle(kTestWindow), window);
    EXPECT_EQ(g_events.size(), 3u);
}

TEST_F(Runtime, UnitsStackInDefinitionOrderWithTheirFlags) {
    std::vector<HWND> order;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        order.push_back(c);
    ASSERT_EQ(order.size(), std::size(kUnits));
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], UnitHandle(kTestWindow, kUnits[i].name)) << i;
    EXPECT_TRUE(IsWindowVisible(UnitHandle(kTestWindow, "一")));
    EXPECT_FALSE(IsWindowEnabled(UnitHandle(kTestWindow, "二")));
    EXPECT_FALSE(IsWindowVisible(UnitHandle(kTestWindow, "时钟"))); // timers and prototypes never show
    EXPECT_FALSE(IsWindowVisible(UnitHandle(kTestWindow, "原型")));
    EXPECT_FALSE(IsWindowVisible(UnitHandle(kTestWindow, "藏")));
    EXPECT_TRUE(GetWindowLongPtrA(UnitHandle(kTestWindow, "一"), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(Runtime, PropertiesMoveShowAndDisableUnits) {
    WriteUnitProperty(kTestWindow, "一", kPropTop, 50);
    WriteUnitProperty(kTestWindow, "一", kPropWidth, 120);
    EXPECT_EQ(ReadUnitProperty(kTestWindow, "一", kPropLeft), 10);
    EXPECT_EQ(ReadUnitProperty(kTestWindow, "一", kPropTop), 50);
    EXPECT_EQ(ReadUnitProperty(kTestWindow, "一", kPropWidth), 120);
    EXPECT_EQ(ReadUnitProperty(kTestWindow, "一", kPropHeight), 30);
    WriteUnitProperty(kTestWindow, "藏", kPropVisible, 1);
    EXPECT_TRUE(IsWindowVisible(UnitHandle(kTestWindow, "藏")));
    WriteUnitProperty(kTestWindow, "二", kPropDisabled, 0);
    EXPECT_TRUE(IsWindowEnabled(UnitHandle(kTestWindow, "二")));
    EXPECT_EQ(ReadUnitProperty(kTestWindow, nullptr, kPropWindowState), kStateNormalWindow);
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(ReadUnitProperty(kTestWindow, nullptr, kPropWindowState), kStateMinimised);
}

TEST_F(Runtime, TimerTicksOnlyWhileItHasAnInterval) {
    PumpFor(150);
    EXPECT_EQ(g_ticks, 0) << "no interval set yet";
    WriteUnitProperty(kTestWindow, "时钟", kPropInterval, 20);
    PumpFor(300);
    EXPECT_GE(g_ticks, 5);
    EXPECT_LE(g_ticks, 16);
    WriteUnitProperty(kTestWindow, "时钟", kPropInterval, 0);
    PumpFor(30);
    const int stopped = g_ticks;
    PumpFor(150);
    EXPECT_EQ(g_ticks, stopped);
    WriteUnitProperty(kTestWindow, "时钟", kPropInterval, -5);
    EXPECT_EQ(ReadUnitProperty(kTestWindow, "时钟", kPropInterval), 0);
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

int WhitePixels(HWND window, RECT area) {
    int white = 0;
    HDC dc = GetDC(window);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            white += GetPixel(dc, x, y) == RGB(255, 255, 255);
    ReleaseDC(window, dc);
    return white;
}

TEST_F(Runtime, LabelRepaintsBeneathBeforeItsNewText) {
    WriteUnitProperty(kTestWindow, nullptr, kPropBackColour, RgbColor(0, 0, 120));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const RECT label{10, 100, 210, 140};
    WriteUnitProperty(kTestWindow, "标签", kPropText, "很长很长很长的文字");
    const int longText = WhitePixels(window, label);
    WriteUnitProperty(kTestWindow, "标签", kPropText, "短");
    const int shortText = WhitePixels(window, label);
    EXPECT_GT(longText, 0);
    EXPECT_GT(shortText, 0);
    EXPECT_LT(shortText * 3, longText) << "the old text must not stay beneath the new one";
    EXPECT_EQ(ScreenPixel(window, 190, 120), RGB(0, 0, 120));
    WriteUnitProperty(kTestWindow, "标签", kPropText, "");
    EXPECT_EQ(WhitePixels(window, label), 0);
}

TEST_F(Runtime, CloseRequestDestroysTheWindow) {
    CloseWindowAsync(kTestWindow);
    EXPECT_TRUE(IsWindow(window)) << "the request is only posted";
    PumpFor(50);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsCreated(kTestWindow));
    EXPECT_FALSE(IsCreated(kTestWindow, "一"));
}

// The fatal-error box and the programs started by RunProgram run in child processes of this test.
using child_process::IsChild;
using child_process::Scaled;
using child_process::Start;

TEST(Child, DISABLED_ShowMode) {
    if (!IsChild("ShowMode")) return;
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    ExitProcess(startup.dwFlags & STARTF_USESHOWWINDOW ? 100 + startup.wShowWindow : 99);
}

// Holds the mutex named by ZEN_SLOW_MUTEX, if any, for as long as it runs: longer than the limit below, which
// leaves time for a start that brings up a console host of its own (a console child without a window).
TEST(Child, DISABLED_Slow) {
    if (!IsChild("Slow")) return;
    if (const char* mutex = std::getenv("ZEN_SLOW_MUTEX"))
        WaitForSingleObject(OpenMutexA(SYNCHRONIZE, FALSE, mutex), INFINITE);
    Sleep(Scaled(6000));
    ExitProcess(7);
}

TEST(Child, DISABLED_Fatal) {
    if (!IsChild("Fatal")) return;
    FatalError("指定窗口尚未载入", 42);
}

TEST(Child, DISABLED_MissingUnit) {
    if (!IsChild("MissingUnit")) return;
    UnitHandle(kTestWindow, "没有这个");
}

TEST(Child, DISABLED_UiStepWithoutUiThread) {
    if (!IsChild("UiStepWithoutUiThread")) return;
    RunOnUiThread([] { ExitProcess(0); });
}

TEST(RunProgram, StartsHiddenAndWaits) {
    const ProgramRun hidden = Start("ShowMode", true, kShowHidden);
    EXPECT_TRUE(hidden.started);
    EXPECT_TRUE(hidden.ended);
    EXPECT_EQ(hidden.exitCode, 100u + SW_HIDE);
    EXPECT_EQ(Start("ShowMode", true, 4).exitCode, 100u + SW_SHOWMAXIMIZED);
    EXPECT_EQ(ShowWindowValue(0), SW_HIDE);
    EXPECT_EQ(ShowWindowValue(9), SW_MINIMIZE);
}

TEST(RunProgram, WithoutWaitReturnsWhileTheProgramRuns) {
    const DWORD start = GetTickCount();
    const ProgramRun run = Start("Slow", false, kShowHidden);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.ended);
    EXPECT_LT(GetTickCount() - start, 1400u);
}

TEST(RunProgram, ReportsAProgramThatCannotStart) {
    EXPECT_FALSE(RunProgram("no-such-program-zentrilo.exe", true, kShowHidden).started);
    EXPECT_FALSE(RunProgram("x", true, kShowHidden, "C:\\no\\such\\program.exe").started);
}

TEST(RunProgram, EndsAProgramStillRunningAtTheLimitBeforeItReturns) {
    const std::string name = "ZentriloSlow" + std::to_string(GetCurrentProcessId());
    skin::KernelHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
    SetEnvironmentVariableA("ZEN_SLOW_MUTEX", name.c_str());
    const ProgramRun run = Start("Slow", true, kShowHidden, Scaled(3000));
    SetEnvironmentVariableA("ZEN_SLOW_MUTEX", nullptr);
    EXPECT_TRUE(run.started && !run.ended && run.stopped);
    EXPECT_EQ(WaitForSingleObject(mutex.get(), 0), WAIT_ABANDONED) << "the child took it and is gone";
}

// Waits for the error box of a child, returns its text and presses OK.
std::string AnswerErrorBox(DWORD& exitCode, const char* mode) {
    const skin::KernelHandle child(child_process::Launch(mode));
    const std::string text = child_process::AnswerBox(child_process::FindBox("错误", Scaled(10000)));
    WaitForSingleObject(child.get(), Scaled(10000));
    GetExitCodeProcess(child.get(), &exitCode);
    return text;
}

TEST(FatalErrorBox, ShowsItsTextThenEndsTheProcessWithMinusOne) {
    DWORD code = 0;
    EXPECT_EQ(AnswerErrorBox(code, "Fatal"),
              "运行时出错!\r\n\r\n错误代码：42\r\n\r\n错误信息：指定窗口尚未载入\r\n");
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_EQ(AnswerErrorBox(code, "MissingUnit"),
              "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n");
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_EQ(AnswerErrorBox(code, "UiStepWithoutUiThread"),
              "运行时出错!\r\n\r\n错误信息：界面线程尚未建立\r\n");
    EXPECT_EQ(code, 0xFFFFFFFFu);
}

std::vector<UINT> g_exitFlags;
BOOL RecordExit(UINT flags, DWORD) {
    g_exitFlags.push_back(flags);
    return TRUE;
}

TEST(ShutDown, LogOffAsksOtherProgramsAndForcesOnlyHungOnes) {
    const ExitWindowsCall previous = SetExitWindowsCall(RecordExit);
    EXPECT_TRUE(ShutDownSystem(kLogOff, CloseOthers::IfHung));
    EXPECT_FALSE(ShutDownSystem(0, CloseOthers::IfHung));
    EXPECT_FALSE(ShutDownSystem(6, CloseOthers::Force));
    EXPECT_TRUE(ShutDownSystem(kReboot, CloseOthers::Force));
    SetExitWindowsCall(previous);
    EXPECT_EQ(g_exitFlags, (std::vector<UINT>{EWX_LOGOFF | EWX_FORCEIFHUNG, EWX_REBOOT | EWX_FORCE}));
}

} // namespace
