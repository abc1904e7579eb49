#include "app/runtime/fatal_error.h"

#include "skin/words.h"

#include <string>

namespace app {

void FatalError(const char* message, std::optional<long> code) {
    std::string text = "运行时出错!\r\n\r\n";
    if (code) text += "错误代码：" + std::to_string(*code) + "\r\n\r\n";
    if (message) text += std::string("错误信息：") + message + "\r\n";
    skin::ShowMessage(nullptr, text, "错误", MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}

} // namespace app
