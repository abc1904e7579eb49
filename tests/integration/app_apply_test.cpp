// The Apply worker in-process, with the program runner replaced: which registry commands it starts, in
// which order, what the user is told when a run fails, that a failed attempt leaves nothing behind, that
// clicks queued faster than they are handled start one worker, and Log off when the system refuses it.
// Each test starts from a freshly loaded MainWindow, so they pass in any order. A close while reg.exe
// runs, with runs that succeed or fail, is tried in a child process, which must end for the outcome to
// show.
#include "app/apply.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "app/runtime/shutdown.h"
#include "app/runtime/ui_thread.h"
#include "app/runtime/unit_lookup.h"
#include "app/runtime/unit_properties.h"
#include "app/runtime/window_loader.h"
#include "app/startup.h"
#include "skin/owners.h"
#include "tests/support/child_process.h"
#include "tests/support/layered_fixture.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

using namespace app;
using child_process::AnswerBox;
using child_process::FindBox;

namespace {

struct RecordedRun {
    std::string application, commandLine;
    int showMode;
    DWORD start, end, thread;
};

std::mutex g_lock;
std::vector<RecordedRun> g_runs;
std::vector<ProgramRun> g_outcomes; // what the runs report in turn; the runs after them succeed

ProgramRun RecordRun(const char* application, const char* commandLine, int showMode) {
    const DWORD start = GetTickCount();
    Sleep(50);
    std::lock_guard<std::mutex> lock(g_lock);
    g_runs.push_back({application, commandLine, showMode, start, GetTickCount(), GetCurrentThreadId()});
    return g_runs.size() <= g_outcomes.size() ? g_outcomes[g_runs.size() - 1] : ProgramRun{true, true, 0};
}

// The boxes run their own message loop on this thread, which runs this timer until a box is answered.
std::string g_told;
void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    for (const char* caption : {"应用失败", "注销失败"})
        if (std::string text = AnswerBox(FindBox(caption)); !text.empty()) g_told = text;
}

// Pumps this (the main) thread's messages until the worker has ended, answering an error box if one
// comes up; returns the error box's text.
std::string PumpUntilDone(HANDLE worker) {
    g_told.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBoxes);
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        layered_test::PumpMessages();
    layered_test::PumpMessages();
    KillTimer(nullptr, timer);
    return g_told;
}

class ApplyWorker : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitUiThread(); // the worker's steps come to this thread, as in the program
        SetProgramRunner(RecordRun);
    }
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
constexpr char kLogPixels96[] =
    "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 96 /f";
constexpr char kWin8[] =
    "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f";

// The overlay, closed before the click, is loaded again by a step of the worker's: a window made on the
// worker would belong to a thread that has ended, and be gone with it.
TEST_F(ApplyWorker, TwoHiddenRunsOfTheSystemRegExeOneAfterTheOther) {
    g_app.normalSelected = 0;
    g_app.mediumSelected = 1;
    g_app.largeSelected = 1; // half-way through a click: the first flag set wins
    DestroyWindow(UnitHandle(kOverlayWindow));
    EXPECT_EQ(Apply(), "");
    ASSERT_EQ(g_runs.size(), 2u);
    EXPECT_EQ(g_runs[0].commandLine, kLogPixels120);
    EXPECT_EQ(g_runs[1].commandLine, kWin8);
    for (const RecordedRun& run : g_runs) {
        EXPECT_EQ(run.application, "C:\\windows\\system32\\reg.exe");
        EXPECT_EQ(run.showMode, kShowHidden);
        EXPECT_NE(run.thread, GetCurrentThreadId()) << "reg.exe runs on the worker";
    }
    ASSERT_TRUE(IsCreated(kOverlayWindow));
    EXPECT_EQ(GetWindowThreadProcessId(UnitHandle(kOverlayWindow), nullptr), GetCurrentThreadId());
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

// An accessibility client's default action is posted: two of them can be queued before the first click
// is handled, and the second must find Apply disabled.
TEST_F(ApplyWorker, TwoQueuedClicksRunTheSequenceOnce) {
    IAccessible* apply = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        AccessibleObjectFromWindow(UnitHandle(kMainWindow, units::kApply), static_cast<DWORD>(OBJID_CLIENT),
                                   __uuidof(IAccessible), reinterpret_cast<void**>(&apply)));
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    EXPECT_HRESULT_SUCCEEDED(apply->accDoDefaultAction(self));
    EXPECT_HRESULT_SUCCEEDED(apply->accDoDefaultAction(self));
    apply->Release();
    layered_test::PumpMessages();
    EXPECT_EQ(PumpUntilDone(g_app.applyThread.get()), "");
    EXPECT_EQ(g_runs.size(), 2u);
    EXPECT_FALSE(IsCreated(kMainWindow, units::kApply));
}

int g_logOffCalls = 0;
BOOL RefuseLogOff(UINT, DWORD) {
    ++g_logOffCalls;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
BOOL AcceptLogOff(UINT, DWORD) {
    ++g_logOffCalls;
    return TRUE;
}

TEST_F(ApplyWorker, ARefusedLogOffIsToldAndLogOffCanBePressedAgain) {
    Apply();
    const ExitWindowsCall previous = SetExitWindowsCall(RefuseLogOff);
    g_told.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBoxes);
    OnLogOff(); // returns once the box is answered
    KillTimer(nullptr, timer);
    layered_test::PumpMessages();
    for (const char* part : {"注销没有开始（错误代码 5）", "将在下次登录时生效"})
        EXPECT_NE(g_told.find(part), std::string::npos) << g_told;
    ASSERT_TRUE(IsCreated(kMainWindow)) << "the window stays";
    EXPECT_TRUE(IsWindowEnabled(UnitHandle(kMainWindow, units::kLogOff)));

    SetExitWindowsCall(AcceptLogOff);
    OnLogOff();
    layered_test::PumpMessages();
    SetExitWindowsCall(previous);
    EXPECT_FALSE(IsCreated(kMainWindow));
    EXPECT_EQ(g_logOffCalls, 2);
}

// The child runs the program's own start-up, loop and end. Apply is clicked once the loop runs, and the
// window is closed as the first reg.exe run starts; each run, 1.5 s long, notes whether the window was
// still there when it ended, and ends with the exit code ZEN_RUN_EXIT names.
HWND g_childWindow = nullptr;
ProgramRun SlowRunClosingTheWindow(const char*, const char* commandLine, int) {
    if (g_runs.empty()) PostMessageA(g_childWindow, WM_CLOSE, 0, 0);
    Sleep(child_process::Scaled(1500));
    std::lock_guard<std::mutex> lock(g_lock);
    g_runs.push_back({"", commandLine, 0, 0, 0, 0});
    if (FILE* log = std::fopen(std::getenv("ZEN_RUN_LOG"), "ab")) {
        std::fprintf(log, "%s %s\n", IsWindow(g_childWindow) ? "window" : "gone", commandLine);
        std::fclose(log);
    }
    return {true, true, static_cast<DWORD>(std::atoi(std::getenv("ZEN_RUN_EXIT")))};
}

void CALLBACK ClickApplyOnce(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_childWindow = UnitHandle(kMainWindow);
    OnApplyClicked();
}

TEST(Child, DISABLED_CloseDuringApply) {
    if (!child_process::IsChild("CloseDuringApply")) return;
    SetProgramRunner(SlowRunClosingTheWindow);
    SetTimer(nullptr, 0, 0, ClickApplyOnce);
    ExitProcess(static_cast<UINT>(RunZentrilo()));
}

class CloseDuringApply : public ::testing::Test {
  protected:
    void TearDown() override {
        if (child_) TerminateProcess(child_.get(), 1); // one that a failed check left waiting
        DeleteFileA(log_.c_str());
    }
    // Starts the child, its runs ending with runExit.
    void Launch(int runExit) {
        SetEnvironmentVariableA("ZEN_RUN_LOG", log_.c_str());
        SetEnvironmentVariableA("ZEN_RUN_EXIT", std::to_string(runExit).c_str());
        child_ = skin::KernelHandle(child_process::Launch("CloseDuringApply"));
        SetEnvironmentVariableA("ZEN_RUN_LOG", nullptr);
        SetEnvironmentVariableA("ZEN_RUN_EXIT", nullptr);
    }
    // The child's exit code, or STILL_ACTIVE while it runs after limit ms.
    DWORD ExitCode(DWORD limit) const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(child_.get(), child_process::Scaled(limit)) == WAIT_OBJECT_0)
            GetExitCodeProcess(child_.get(), &code);
        return code;
    }
    // The log line of a run that ended after the window had gone.
    static std::string Gone(const char* run) { return std::string("gone ").append(run).append("\n"); }
    // The runs' lines, as the log holds them.
    std::string Runs() const {
        std::ifstream log(log_, std::ios::binary);
        return {std::istreambuf_iterator<char>(log), {}};
    }

    const std::string log_ = [] {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        return std::string(folder) + "zen-close-during-apply-" + std::to_string(GetCurrentProcessId()) +
               ".log";
    }();
    skin::KernelHandle child_;
};

TEST_F(CloseDuringApply, TheWindowGoesAtOnceAndBothValuesAreWrittenBeforeTheProcessEnds) {
    Launch(0);
    EXPECT_EQ(ExitCode(20000), 0u);
    EXPECT_EQ(Runs(), Gone(kLogPixels96) + Gone(kWin8)) << "each run ended after the window had gone";
}

// Nothing of the program is on screen any more: the box has no owner, and the program waits for its answer
// before it ends. (Asked for topmost, the box still shows no WS_EX_TOPMOST under Wine 8: not looked for.)
TEST_F(CloseDuringApply, AFailureAfterTheCloseIsToldByABoxOfItsOwnAndTheProgramEndsOnceItIsAnswered) {
    Launch(5);
    const HWND box = FindBox("应用失败", child_process::Scaled(10000));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(ExitCode(500), STILL_ACTIVE) << "the program ended with the box up";
    const std::string text = AnswerBox(box);
    for (const char* part : {"LogPixels：reg.exe 出错退出（退出代码 5）", "请重新打开本程序"})
        EXPECT_NE(text.find(part), std::string::npos) << text;
    EXPECT_EQ(ExitCode(10000), 0u);
    EXPECT_EQ(Runs(), Gone(kLogPixels96)) << "nothing runs after the failure";
}

} // namespace
