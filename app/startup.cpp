// Start-up in its fixed order: OLE and the current folder, GDI+, the frame-dimension identifier, then
// MainWindow and the message loop.
#include "app/startup.h"

#include "app/apply.h"
#include "app/globals.h"
#include "app/runtime/fatal_error.h"
#include "app/runtime/message_loop.h"
#include "app/runtime/system_dlls.h"
#include "app/runtime/ui_thread.h"
#include "app/runtime/windows.h"
#include "images/decode.h"

#include <objbase.h>
#include <ole2.h>

#include <string>

namespace {

void UseExecutableFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.erase(folder.find_last_of('\\') + 1);
    SetCurrentDirectoryA(folder.c_str());
}

void StartGdiplus() {
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread, codecs on
    Gdiplus::GdiplusStartup(&app::g_app.gdiplusToken, &input, nullptr);
}

void ParseTimeDimension() {
    const char text[] = "{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}";
    wchar_t wide[64] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64);
    CLSIDFromString(wide, &app::g_app.timeDimension);
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
