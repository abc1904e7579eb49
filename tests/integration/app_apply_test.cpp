// The Apply worker in-process, with the program runner replaced: which registry commands it starts, in
// which order, and what the window shows when a run fails.
#include "app/apply.h"
#include "app/globals.h"
#include "app/runtime/unit_properties.h"
#include "app/runtime/windows.h"

#include <gtest/gtest.h>

#include <atomic>
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
std::atomic<DWORD> g_exitCode{0};

ProgramRun RecordRun(const char* application, const char* commandLine, int showMode) {
    const DWORD start = GetTickCount();
    Sleep(50);
    std::lock_guard<std::mutex> lock(g_lock);
    g_runs.push_back({application, commandLine, showMode, start, GetTickCount()});
    return {true, true, g_exitCode};
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
                char text[512] = {};
                GetWindowTextA(c, text, sizeof text);
                if (std::string(text).find("LogPixels") != std::string::npos ||
                    std::string(text).find("Win8DpiScaling") != std::string::npos)
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
    static void SetUpTestSuite() {
        SetProgramRunner(RecordRun);
        ASSERT_TRUE(LoadWindow(kMainWindow));
    }
    void SetUp() override {
        g_runs.clear();
        g_exitCode = 0;
    }
    std::string RunWorker() {
        HANDLE worker = CreateThread(nullptr, 0, ApplySequence, nullptr, 0, nullptr);
        std::string error = PumpUntilDone(worker);
        CloseHandle(worker);
        return error;
    }
};

constexpr char kLogPixels120[] =
    "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 120 /f";
constexpr char kWin8[] =
    "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f";

// Runs first: the failures leave the program choosing, the success path destroys the Apply button.
TEST_F(ApplyWorker, AFailedRunIsReportedByNameAndApplyComesBack) {
    g_exitCode = 5;
    EXPECT_NE(RunWorker().find("LogPixels"), std::string::npos);
    EXPECT_EQ(g_runs.size(), 1u) << "nothing runs after a failure";
    EXPECT_TRUE(IsWindowEnabled(UnitHandle(kMainWindow, units::kApply)));
    EXPECT_FALSE(IsWindowVisible(UnitHandle(kOverlayWindow, units::kStripBox)));
    EXPECT_EQ(ReadUnitProperty(kMainWindow, units::kTimer, kPropInterval), 1000);
}

TEST_F(ApplyWorker, WithNoOptionSetOnlyWin8DpiScalingRuns) {
    g_app.normalSelected = 0;
    g_app.mediumSelected = 0;
    g_app.largeSelected = 0;
    g_exitCode = 1;
    EXPECT_NE(RunWorker().find("Win8DpiScaling"), std::string::npos);
    ASSERT_EQ(g_runs.size(), 1u);
    EXPECT_EQ(g_runs[0].commandLine, kWin8);
}

TEST_F(ApplyWorker, TwoHiddenRunsOfTheSystemRegExeOneAfterTheOther) {
    g_app.normalSelected = 0;
    g_app.mediumSelected = 1;
    g_app.largeSelected = 1; // half-way through a click: the first flag set wins
    EXPECT_EQ(RunWorker(), "");
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

} // namespace
