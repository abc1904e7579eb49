// Log off: one click ends the user's session and the program. When the system refuses, the window stays
// and says so: the new scale is written and takes effect at the next sign-in, and Log off can be pressed
// again.
#include "app/handlers.h"
#include "app/runtime/shutdown.h"
#include "app/runtime/unit_lookup.h"
#include "app/runtime/window_closing.h"
#include "skin/words.h"

#include <string>

namespace app {
namespace {
constexpr char kLogOffFailedCaption[] = "注销失败";
constexpr char kLogOffFailedText[] = "注销没有开始";
constexpr char kLogOffFailedAdvice[] = "。\r\n\r\n新的显示缩放已经写入，将在下次登录时生效。"
                                       "\r\n可以再次点击“注销”重试，或者稍后自行注销。";
} // namespace

void OnLogOff() {
    // Programs are asked to close and may offer to save; only hung ones are ended.
    if (ShutDownSystem(kLogOff, CloseOthers::IfHung)) {
        CloseWindowAsync(kMainWindow);
        return;
    }
    const DWORD error = GetLastError();
    std::string text = kLogOffFailedText;
    if (error) text += "（错误代码 " + std::to_string(error) + "）";
    text += kLogOffFailedAdvice;
    skin::ShowMessage(UnitHandle(kMainWindow), text, kLogOffFailedCaption, MB_ICONWARNING | MB_OK);
}

} // namespace app
