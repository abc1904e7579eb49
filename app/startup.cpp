// Start-up in its fixed order: OLE and the current folder, GDI+, the frame-dimension identifier, then
// MainWindow and the message loop.
#include "app/startup.h"

#include "app/apply.h"
#include "app/globals.h"
#include "app/runtime/fatal_error.h"
#include "app/runtime/message_loop.h"
#include "app/runtime/system_dlls.h"
#include "app/runtime/ui_thread.h"
#include "app/runtime/window_loader.h"
#include "images/decode.h"

#include <objbase.h>
#include <ole2.h>

#include <string>

namespace {

// Through the wide calls: the folder may be named in characters the system's code page lacks, and a path
// longer than MAX_PATH is read whole rather than cut into another folder (one too long to be made current
// leaves the current folder as it is).
void UseExecutableFolder() {
    constexpr DWORD kLongestPath = 32768;
    std::wstring path(kLongestPath, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), kLongestPath);
    path.resize(length < kLongestPath ? length : 0); // a cut path would name another folder
    const size_t folderEnd = path.find_last_of(L'\\');
    if (folderEnd == std::wstring::npos) return;
    path.resize(folderEnd + 1);
    SetCurrentDirectoryW(path.c_str());
}

void StartGdiplus() {
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread, codecs on
    Gdiplus::GdiplusStartup(&app::g_app.gdiplusToken, &input, nullptr);
}

void ParseTimeDimension() {
    CLSIDFromString(L"{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}", &app::g_app.timeDimension);
    images::SetTimeDimension(&app::g_app.timeDimension);
}

} // namespace

namespace app {

int RunZentrilo() {
    LoadSystemDlls();
    OleInitialize(nullptr);
    UseExecutableFolder();
    // The toolkit objects of g_app exist unbound from here; static destruction releases them at exit.
    StartGdiplus();
    ParseTimeDimension();
    InitUiThread();
    if (!LoadWindow(kMainWindow)) FatalError("载入启动窗口失败");
    RunMessageLoop();
    LetApplyFinish();
    return 0;
}

} // namespace app
