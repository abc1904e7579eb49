// The Apply click and its worker. The worker hands every user-interface step to the main thread, in
// order, so that no window or drawing call runs off the thread that owns the windows; meanwhile the main
// thread keeps pumping messages, so the strip animates and the window can be dragged.
#include "app/apply.h"

#include "app/frame.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "app/options.h"
#include "app/runtime/alert.h"
#include "app/runtime/animation_box.h"
#include "app/runtime/focus.h"
#include "app/runtime/session_end.h"
#include "app/runtime/thread.h"
#include "app/runtime/ui_thread.h"
#include "app/runtime/unit_lookup.h"
#include "app/runtime/unit_properties.h"
#include "images/catalogue.h"
#include "skin/words.h"

#include <string>

namespace app {
namespace {

constexpr int kStripTop = 349, kStripWidth = 800, kStripHeight = 6;
constexpr int kStripBackground = RgbColor(246, 246, 246);
constexpr int kEndlessLoop = 0;
constexpr int kDoneLogOffTop = 448;
constexpr char kWarningText[] = "注销前请保存所有已打开的文件，并关闭所有程序";
// What the finished artwork says in pixels, for those who hear rather than see it.
constexpr char kFinishedWords[] = "修复完成，请测试效果！";
constexpr char kFailureCaption[] = "应用失败";
constexpr char kRetryAdvice[] = "\r\n\r\n请再次点击“应用”重试。";
constexpr char kReopenAdvice[] = "\r\n\r\n请重新打开本程序，再次应用。";
// What Windows' sign-out screen shows while the writes run.
constexpr char kWritingReason[] = "正在写入显示缩放设置，请稍候";
constexpr char kNoWorkerText[] = "无法开始应用：系统无法启动新的线程。\r\n显示缩放没有更改。";

ProgramRun RunAndWait(const char* application, const char* commandLine, int showMode) {
    return RunProgram(commandLine, true, showMode, application, kRegistryCommandLimit);
}

ProgramRunner g_runner = RunAndWait;

// Set once the windows are gone and the program is about to end: the worker skips the pause before the
// finished state. Made at first use and kept for the process.
HANDLE ClosingEvent() {
    static const HANDLE closing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return closing;
}

std::string LogPixelsCommand(int value) {
    return "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d " +
           std::to_string(value) + " /f";
}

constexpr char kWin8DpiScalingCommand[] =
    "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f";

bool Succeeded(const ProgramRun& run) {
    return run.started && run.ended && run.exitCode == 0;
}

// Runs a step on the main thread unless the main window has gone meanwhile (the user closed it while
// reg.exe ran); returns whether the sequence may go on.
bool OnUi(const std::function<void()>& step) {
    bool alive = false;
    RunOnUiThread([&] {
        alive = IsCreated(kMainWindow);
        if (alive) step();
    });
    return alive;
}

HWND StripBox() {
    return UnitHandle(kOverlayWindow, units::kStripBox);
}

// The overlay can be closed on its own with Esc, before Apply or while it runs; its units are needed.
void EnsureOverlay() {
    if (!IsCreated(kOverlayWindow)) LoadOverlay();
}

void StartStrip() {
    EnsureOverlay();
    WriteUnitProperty(kOverlayWindow, units::kStripBox, kPropLeft, 0);
    WriteUnitProperty(kOverlayWindow, units::kStripBox, kPropTop, kStripTop);
    WriteUnitProperty(kOverlayWindow, units::kStripBox, kPropWidth, kStripWidth);
    WriteUnitProperty(kOverlayWindow, units::kStripBox, kPropHeight, kStripHeight);
    WriteUnitProperty(kOverlayWindow, units::kStripBox, kPropVisible, 1);
    const SpritePrototype prototype{ReadUnitProperty(kOverlayWindow, units::kStripPrototype, kPropWidth),
                                    ReadUnitProperty(kOverlayWindow, units::kStripPrototype, kPropHeight)};
    g_app.stripObject = CreateObject(StripBox(), prototype, 0, 0, false);
    SetObjectVisible(StripBox(), g_app.stripObject, true);
    WriteUnitProperty(kOverlayWindow, units::kStripBox, kPropBoxColour, kStripBackground);
    SetObjectPicture(StripBox(), g_app.stripObject, images::ArtBytes(images::Art::ProgressStrip));
    PlayObjectAnimation(StripBox(), g_app.stripObject, kEndlessLoop);
}

// Each Apply shows a sprite of its own; the one of an attempt that ended goes with its frames. A strip
// whose overlay was closed meanwhile went with the overlay.
void StopStrip() {
    if (IsCreated(kOverlayWindow)) {
        RemoveObject(StripBox(), g_app.stripObject);
        WriteUnitProperty(kOverlayWindow, units::kStripBox, kPropVisible, 0);
    }
    g_app.stripObject = 0;
}

// A screen reader stops speaking when the focus moves, and the focus reaches Log off a moment after the alert
// was raised: what Log off says as it takes the focus is what a listener surely hears.
const char* LogOffDescription() {
    static const std::string description = [] {
        std::string words = kFinishedWords;
        words += kWarningText;
        return words;
    }();
    return description.c_str();
}

void ShowFinished() {
    using images::Art;
    g_app.mainSkin.SetBackImageData(images::ArtBytes(Art::DoneBackground));
    SendMessageA(g_app.applySkin.Handle(), WM_CLOSE, 0, 0);
    WriteUnitProperty(kMainWindow, units::kLogOff, kPropTop, kDoneLogOffTop);
    g_app.logOffSkin.Attach(UnitHandle(kMainWindow, units::kLogOff), nullptr);
    g_app.logOffSkin.SetImages(images::DecodeImage(images::ArtBytes(Art::LogOffNormal)),
                               images::DecodeImage(images::ArtBytes(Art::LogOffHover)),
                               images::DecodeImage(images::ArtBytes(Art::LogOffPressed)));
    g_app.logOffSkin.SetDescription(LogOffDescription());
    EnsureOverlay();
    StopStrip();
    RedrawNow(kOverlayWindow);
    // The text first: the label's placeholder never shows.
    WriteUnitProperty(kOverlayWindow, units::kWarning, kPropText, kWarningText);
    WriteUnitProperty(kOverlayWindow, units::kWarning, kPropVisible, 1);
    Announce(kMainWindow, kFinishedWords, kWarningText);
    WriteUnitProperty(kMainWindow, units::kLogOff, kPropVisible, 1);
    WriteUnitProperty(kMainWindow, units::kLogOff, kPropDisabled, 0);
    g_app.mainSkin.Refresh();
}

// What went wrong with one reg.exe run, as the user is told it.
std::string Reason(const ProgramRun& run) {
    if (!run.started) return "无法启动 reg.exe";
    if (run.ended) return "reg.exe 出错退出（退出代码 " + std::to_string(run.exitCode) + "）";
    const std::string late = "reg.exe 在 " + std::to_string(kRegistryCommandLimit / 1000) + " 秒内没有完成";
    return late + (run.stopped ? "，已被结束" : "，也无法结束它，它可能仍在运行");
}

// Which value failed and why, and what the registry now holds.
std::string FailureText(const char* value, const ProgramRun& run, int writtenLogPixels) {
    std::string text = std::string("无法写入注册表值 ") + value + "：" + Reason(run) + "。\r\n";
    if (writtenLogPixels)
        text += "LogPixels 已写入 " + std::to_string(writtenLogPixels) + "，但 " + value +
                " 没有写入，显示缩放只更改了一部分。";
    else
        text += "显示缩放没有更改。";
    return text;
}

// Apply ended without writing everything: say what happened and what to do, and go back to choosing so
// the user can retry from a clean start. Apply takes input again before the box shows (the box keeps the
// window from input meanwhile), so the focus that waited on the window goes straight to Apply once the box
// is answered.
void ShowFailure(std::string text) {
    StopStrip();
    WriteUnitProperty(kMainWindow, units::kTimer, kPropInterval, kIdleTickInterval);
    g_app.applyStarted = false;
    ReturnWaitingFocusTo(kMainWindow, units::kApply);
    WriteUnitProperty(kMainWindow, units::kApply, kPropDisabled, 0);
    text += kRetryAdvice;
    skin::ShowMessage(UnitHandle(kMainWindow), text, kFailureCaption, MB_ICONERROR | MB_OK);
}

// A failure after the user closed the window: nothing of the program is left on screen, so the box comes to
// the front above every window, or it might only flash on the taskbar while the process waits for its
// answer. The close may have queued the quit already, which the box's own loop would take and close unseen:
// the quit waits until the box is answered.
void ShowLateFailure(const std::string& text) {
    MSG quit{};
    const bool quitQueued = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    skin::ShowMessage(nullptr, text + kReopenAdvice, kFailureCaption,
                      MB_ICONERROR | MB_OK | MB_SETFOREGROUND | MB_TOPMOST);
    if (quitQueued) PostQuitMessage(static_cast<int>(quit.wParam));
}

// A failure is told even when the user closed the window while reg.exe ran: the program then ends once
// the box is answered.
void ReportFailure(std::string text) {
    RunOnUiThread([&] {
        if (IsCreated(kMainWindow))
            ShowFailure(std::move(text));
        else
            ShowLateFailure(text);
    });
}

} // namespace

ProgramRunner SetProgramRunner(ProgramRunner runner) {
    ProgramRunner previous = g_runner;
    g_runner = runner ? runner : RunAndWait;
    return previous;
}

std::string SystemRegExe() {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {}; // not a reg.exe at the root of the drive
    return std::string(folder, length) + "\\reg.exe";
}

// The writes in order; the failure's text, or empty once both values are written.
std::string WriteScale() {
    const std::string regExe = SystemRegExe();
    const int logPixels = SelectedLogPixels();
    if (regExe.empty()) return FailureText(logPixels ? "LogPixels" : "Win8DpiScaling", ProgramRun{}, 0);
    if (logPixels) {
        const ProgramRun run = g_runner(regExe.c_str(), LogPixelsCommand(logPixels).c_str(), kShowHidden);
        if (!Succeeded(run)) return FailureText("LogPixels", run, 0);
    }
    // Once LogPixels is written, Win8DpiScaling is too, even when the window was closed meanwhile.
    const ProgramRun run = g_runner(regExe.c_str(), kWin8DpiScalingCommand, kShowHidden);
    return Succeeded(run) ? std::string() : FailureText("Win8DpiScaling", run, logPixels);
}

DWORD WINAPI ApplySequence(void*) {
    // The click held the session's end; it is let go as soon as nothing more will be written.
    struct SessionHeld {
        ~SessionHeld() { RunOnUiThread(ReleaseSessionEnd); }
    };
    std::string failure;
    {
        const SessionHeld held;
        if (!OnUi([] { WriteUnitProperty(kMainWindow, units::kTimer, kPropInterval, kBusyTickInterval); }))
            return 0;
        if (!OnUi(StartStrip)) return 0;
        failure = WriteScale();
    }
    if (!failure.empty()) {
        ReportFailure(std::move(failure));
        return 0;
    }
    WaitForSingleObject(ClosingEvent(), kSettleDelay);
    OnUi(ShowFinished);
    return 0;
}

void LetApplyFinish() {
    HANDLE worker = g_app.applyThread.get();
    if (!worker) return;
    SetEvent(ClosingEvent());
    // The worker hands its steps to this thread: go on answering them until it has ended.
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

void OnApplyClicked() {
    WriteUnitProperty(kMainWindow, units::kApply, kPropDisabled, 1);
    g_app.applyStarted = true;
    HANDLE worker = nullptr;
    if (!StartThread(ApplySequence, nullptr, &worker)) {
        ShowFailure(kNoWorkerText);
        return;
    }
    // Held before the worker can reach the writes: its first steps wait for this thread.
    HoldSessionEnd(kWritingReason, LetApplyFinish);
    g_app.applyThread = skin::KernelHandle(worker); // the handle of an earlier, failed attempt closes here
}

void OnTimerTick() {
    // The step display shows nothing: what it would show, and from when it would count, is not settled.
    g_app.mainSkin.Refresh();
}

} // namespace app
