// The Apply worker in-process, with the program runner replaced: which registry commands it starts, in
// which order, what the user is told when a run fails, and that a failed attempt leaves nothing behind.
// Each test starts from a freshly loaded MainWindow, so they pass in any order.
#include "app/apply.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "app/runtime/unit_properties.h"
#include "app/runtime/windows.h"
#include "skin/owners.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

using namespace app;

namespace {

struct RecordedRun {
    std::string application, commandLine;
    int showMode;
    DWORD start, end;
};

std::mutex g_lock;
std::vector<RecordedRun> g_runs;
std::vector<ProgramRun> g_outcomes; // what the runs report in turn; the runs after them succeed

ProgramRun RecordRun(const char* application, const char* commandLine, int showMode) {
    const DWORD start = GetTickCount();
    Sleep(50);
    std::lock_guard<std::mutex> lock(g_lock);
    g_runs.push_back({application, commandLine, showMode, start, GetTickCount()});
    return g_runs.size() <= g_outcomes.size() ? g_outcomes[g_runs.size() - 1] : ProgramRun{true, true, 0};
}

// Pumps this (the main) thread's messages until the worker has ended, answering an error box if one
// comes up; returns the error box's text.
std::string PumpUntilDone(HANDLE worker) {
    std::string errorText;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (HWND box = FindWindowA("#32770", "应用失败")) {
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                char cls[64] = {}, text[512] = {};
                GetClassNameA(c, cls, sizeof cls);
                if (std::string(cls) == "Static" && GetWindowTextA(c, text, sizeof text) > 0)
                    errorText = text;
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        if (MsgWaitForMultipleObjects(1, &worker, FALSE, 20, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    }
    return errorText;
}

class ApplyWorker : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetProgramRunner(RecordRun); }
    void SetUp() override {
        if (IsCreated(kMainWindow)) DestroyWindow(UnitHandle(kMainWindow));
        g_app.applyStarted = false;
        ASSERT_TRUE(LoadWindow(kMainWindow));
        g_runs.clear();
        g_outcomes.clear();
    }
    // A click on Apply, as the user makes it; returns the error box's text.
    std::string Apply() {
        OnApplyClicked();
        return PumpUntilDone(g_app.applyThread.get());
    }
};

constexpr char kLogPixels120[] =
    "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 120 /f";
constexpr char kWin8[] =
    "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f";

TEST_F(ApplyWorker, TwoHiddenRunsOfTheSystemRegExeOneAfterTheOther) {
    g_app.normalSelected = 0;
    g_app.mediumSelected = 1;
    g_app.largeSelected = 1; // half-way through a click: the first flag set wins
    EXPECT_EQ(Apply(), "");
    ASSERT_EQ(g_runs.size(), 2u);
    EXPECT_EQ(g_runs[0].commandLine, kLogPixels120);
    EXPECT_EQ(g_runs[1].commandLine, kWin8);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    for (const RecordedRun& run : g_runs) {
        EXPECT_EQ(run.application, std::string(system) + "\\reg.exe");
        EXPECT_EQ(run.showMode, kShowHidden);
    }
    EXPECT_GE(g_runs[1].start, g_runs[0].end);
    // The finished state: the Apply button is gone, Log off sits in its place, the warning shows.
    EXPECT_FALSE(IsCreated(kMainWindow, units::kApply));
    EXPECT_TRUE(IsWindowEnabled(UnitHandle(kMainWindow, units::kLogOff)));
    EXPECT_EQ(ReadUnitProperty(kMainWindow, units::kLogOff, kPropTop), 448);
    EXPECT_TRUE(IsWindowVisible(UnitHandle(kOverlayWindow, units::kWarning)));
    char warning[128];
    GetWindowTextA(UnitHandle(kOverlayWindow, units::kWarning), warning, sizeof warning);
    EXPECT_STREQ(warning, "注销前请保存所有已打开的文件，并关闭所有程序");
}

// Which value failed, why, and whether the scale was already written; then back to choosing.
TEST_F(ApplyWorker, EachFailureIsWordedByWhatHappened) {
    const ProgramRun written{true, true, 0}, notStarted{}, exit5{true, true, 5},
        stopped{true, false, 0, true};
    struct Case {
        bool optionSet;
        std::vector<ProgramRun> outcomes;
        const char *why, *state;
    };
    const Case cases[] = {
        {true, {notStarted}, "LogPixels：无法启动 reg.exe。", "显示缩放没有更改。"},
        {true, {exit5}, "LogPixels：reg.exe 出错退出（退出代码 5）。", "显示缩放没有更改。"},
        {true,
         {written, stopped},
         "Win8DpiScaling：reg.exe 在 30 秒内没有完成，已被结束。",
         "LogPixels 已写入 96，但 Win8DpiScaling 没有写入"},
        {false, {exit5}, "Win8DpiScaling：reg.exe 出错退出（退出代码 5）。", "显示缩放没有更改。"},
    };
    for (const Case& c : cases) {
        g_app.normalSelected = c.optionSet ? 1 : 0;
        g_runs.clear();
        g_outcomes = c.outcomes;
        const std::string text = Apply();
        for (const char* part : {c.why, c.state, "请再次点击“应用”重试。"})
            EXPECT_NE(text.find(part), std::string::npos) << text;
        EXPECT_EQ(text.find("没有更改") == std::string::npos, c.outcomes.size() == 2) << text;
        ASSERT_EQ(g_runs.size(), c.outcomes.size()) << "nothing runs after a failure";
        EXPECT_EQ(g_runs[0].commandLine == kWin8, !c.optionSet);
        EXPECT_TRUE(IsWindowEnabled(UnitHandle(kMainWindow, units::kApply)));
        EXPECT_FALSE(IsWindowVisible(UnitHandle(kOverlayWindow, units::kStripBox)));
        EXPECT_EQ(ReadUnitProperty(kMainWindow, units::kTimer, kPropInterval), 1000);
    }
}

TEST_F(ApplyWorker, FailedAttemptsLeaveNothingBehind) {
    g_outcomes.assign(4, ProgramRun{});
    Apply();
    const long gdi = skin::LiveGdiObjects(), gdip = skin::LiveGdipObjects();
    const long handles = skin::LiveObjects(skin::OwnedKind::Kernel);
    for (int retry = 0; retry < 3; ++retry)
        Apply();
    EXPECT_EQ(skin::LiveGdiObjects(), gdi);
    EXPECT_EQ(skin::LiveGdipObjects(), gdip) << "the strip's frames of each attempt";
    EXPECT_EQ(skin::LiveObjects(skin::OwnedKind::Kernel), handles) << "each attempt's worker handle";
}

} // namespace
