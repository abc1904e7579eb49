// The program's words are code page 936 bytes (the compiler's execution character set) on every system,
// whatever the system's own ANSI code page is: 1252, 950, 932 or UTF-8 read them as something else. Where
// words leave the program for the screen, a message box or a screen reader, they are turned into UTF-16
// here, and the wide form of the call takes them; everything else stays ANSI.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace skin {

inline constexpr UINT kWordsCodePage = 936;

// The program's words in UTF-16.
std::wstring Widen(std::string_view words);

// Keeps words as window's text in UTF-16. An ANSI window's text set and read through the ANSI calls is
// re-encoded in the system's code page both ways, and words that code page lacks do not come back.
void SetWindowWords(HWND window, const char* words);
// The text SetWindowWords kept (or a wide creation gave), whole.
std::wstring WindowWords(HWND window);

// A message box of the program's words.
int ShowMessage(HWND owner, const std::string& text, const char* caption, UINT type);

} // namespace skin
