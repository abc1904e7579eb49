#include "skin/font.h"

#include "skin/words.h"

#include <algorithm>
#include <cmath>

namespace skin {
namespace {

constexpr LONG kWeightSemiBold = 600;
constexpr LONG kWeightBold = 700;

} // namespace

GpStatus SkinFontFamily::CreateFromName(const char* name) {
    return CreateFromName(Widen(name).c_str());
}

GpStatus SkinFontFamily::CreateFromName(const wchar_t* name) {
    Gdiplus::GpFontFamily* family = nullptr;
    const GpStatus status = gp::GdipCreateFontFamilyFromName(name, nullptr, &family);
    Adopt(family);
    return status;
}

GpStatus SkinFont::Create(const char* family, float emSize, int style, Gdiplus::Unit unit) {
    SkinFontFamily fontFamily;
    fontFamily.CreateFromName(family);
    Gdiplus::GpFont* font = nullptr;
    const GpStatus status = gp::GdipCreateFont(fontFamily.Handle(), emSize, style, unit, &font);
    Adopt(font);
    return status;
}

GpStatus SkinFont::CreateFromDC(HDC dc) {
    Gdiplus::GpFont* font = nullptr;
    const GpStatus status = gp::GdipCreateFontFromDC(dc, &font);
    Adopt(font);
    return status;
}

Gdiplus::GpFont* SkinFont::CreateFromWindow(HWND window) {
    return CreateFromHFont(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
}

Gdiplus::GpFont* SkinFont::CreateFromHFont(HFONT gdiFont) {
    if (!gdiFont) return nullptr;
    // The wide description: an ANSI one holds the face name in the system's code page.
    LOGFONTW description{};
    GetObjectW(gdiFont, sizeof description, &description);

    int style = 0;
    if (description.lfWeight == kWeightSemiBold || description.lfWeight == kWeightBold) style |= kFontBold;
    if (description.lfItalic == 1) style |= kFontItalic;
    if (description.lfUnderline == 1) style |= kFontUnderline;
    if (description.lfStrikeOut == 1) style |= kFontStrikeout;

    // A face name that fills its whole field has no terminator of its own.
    wchar_t face[LF_FACESIZE + 1] = {};
    std::copy_n(description.lfFaceName, LF_FACESIZE, face);
    SkinFontFamily family;
    family.CreateFromName(face);

    // A positive lfHeight is a cell height in GDI; it is taken as the em size all the same.
    const auto size = static_cast<float>(std::abs(description.lfHeight));
    Gdiplus::GpFont* font = nullptr;
    gp::GdipCreateFont(family.Handle(), size, style, Gdiplus::UnitPixel, &font);
    Adopt(font);
    return font;
}

GpStatus SkinFont::GetStyle(INT* style) const {
    return gp::GdipGetFontStyle(handle_.get(), style);
}

GpStatus SkinFont::GetSize(Gdiplus::REAL* size) const {
    return gp::GdipGetFontSize(handle_.get(), size);
}

GpStatus SkinFont::GetUnit(Gdiplus::Unit* unit) const {
    return gp::GdipGetFontUnit(handle_.get(), unit);
}

GpStatus SkinFont::GetHeight(Gdiplus::GpGraphics* graphics, Gdiplus::REAL* height) const {
    return gp::GdipGetFontHeight(handle_.get(), graphics, height);
}

void SkinStringFormat::Create(INT flags, LANGID language) {
    Gdiplus::GpStringFormat* format = nullptr;
    gp::GdipCreateStringFormat(flags, language, &format);
    Adopt(format);
}

void SkinStringFormat::SetAlign(Gdiplus::StringAlignment align) {
    gp::GdipSetStringFormatAlign(handle_.get(), align);
}

void SkinStringFormat::SetLineAlign(Gdiplus::StringAlignment align) {
    gp::GdipSetStringFormatLineAlign(handle_.get(), align);
}

void SkinStringFormat::SetAligns(Gdiplus::StringAlignment horizontal, Gdiplus::StringAlignment vertical) {
    SetAlign(horizontal);
    SetLineAlign(vertical);
}

} // namespace skin
