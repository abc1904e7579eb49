// The test prefix must behave like a Simplified Chinese system: code page 936, and a face
// "微软雅黑" that really draws Chinese glyphs.
#include "skin/words.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

TEST(Locale, AnsiCodePageIs936) {
    EXPECT_EQ(GetACP(), 936u);
}

TEST(Locale, ChineseLiteralsAreCodePage936Bytes) {
    const unsigned char expected[] = {0xBC, 0xF2, 0xCC, 0xE5}; // 简体
    ASSERT_EQ(std::strlen("简体"), 4u);
    EXPECT_EQ(std::memcmp("简体", expected, 4), 0);
}

// Whatever the system's code page: the bytes are spelled out, not compiled from the source's characters.
TEST(Locale, ProgramWordsBecomeUtf16FromCodePage936) {
    EXPECT_EQ(skin::Widen("\xD7\xA2\xCF\xFA ok"), L"注销 ok");
}

TEST(Locale, YaHeiFaceDrawsChineseGlyphs) {
    LOGFONTA lf{};
    lf.lfHeight = -19;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(lf.lfFaceName, "微软雅黑");
    HFONT font = CreateFontIndirectA(&lf);
    ASSERT_NE(font, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    WORD glyphs[2] = {};
    DWORD got = GetGlyphIndicesW(dc, L"注销", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    EXPECT_EQ(got, 2u);
    EXPECT_NE(glyphs[0], 0xFFFF) << "face in use: " << face;
    EXPECT_NE(glyphs[1], 0xFFFF) << "face in use: " << face;
}
