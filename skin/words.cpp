#include "skin/words.h"

namespace skin {

std::wstring Widen(std::string_view words) {
    const auto size = static_cast<int>(words.size());
    const int length = MultiByteToWideChar(kWordsCodePage, 0, words.data(), size, nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    if (length > 0) MultiByteToWideChar(kWordsCodePage, 0, words.data(), size, wide.data(), length);
    return wide;
}

// The default procedure's wide form keeps and reads the window's text as it is, without the conversion a
// message to an ANSI window procedure goes through.
void SetWindowWords(HWND window, const char* words) {
    const std::wstring wide = Widen(words ? words : "");
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::wstring WindowWords(HWND window) {
    const auto length = static_cast<size_t>(DefWindowProcW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<size_t>(
        DefWindowProcW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

int ShowMessage(HWND owner, const std::string& text, const char* caption, UINT type) {
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

} // namespace skin
