// GDI+ fonts, string formats and font families, each held by a small owner that releases it. The
// layered painter draws a text field's window text with a font made from the field's GDI font.
#pragma once
#include "skin/owners.h"

namespace skin {

// Font style bits of GDI+.
enum FontStyleBits : int { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeout = 8 };

// Adopt releases the object held before taking the new one (re-adopting the held one keeps it).
class SkinFontFamily {
  public:
    SkinFontFamily() = default;
    SkinFontFamily(const SkinFontFamily&) = delete;
    SkinFontFamily& operator=(const SkinFontFamily&) = delete;

    void Release() { handle_.reset(); }
    // name is one of the program's words (code page 936); only installed fonts are searched.
    GpStatus CreateFromName(const char* name);
    GpStatus CreateFromName(const wchar_t* name);
    Gdiplus::GpFontFamily* Handle() const { return handle_.get(); }
    void Adopt(Gdiplus::GpFontFamily* family) {
        if (family != handle_.get()) handle_.reset(family);
    }

  private:
    GpFamilyOwner handle_;
};

class SkinFont {
  public:
    SkinFont() = default;
    SkinFont(const SkinFont&) = delete;
    SkinFont& operator=(const SkinFont&) = delete;

    void Release() { handle_.reset(); }
    GpStatus Create(const char* family, float emSize, int style, Gdiplus::Unit unit);
    GpStatus CreateFromDC(HDC dc);
    // The window's own font (WM_GETFONT); 0, keeping what is held, when the window has none.
    Gdiplus::GpFont* CreateFromWindow(HWND window);
    // Converts a GDI font to a pixel-sized GDI+ font; 0, keeping what is held, for a 0 handle.
    Gdiplus::GpFont* CreateFromHFont(HFONT font);
    Gdiplus::GpFont* Handle() const { return handle_.get(); }
    void Adopt(Gdiplus::GpFont* font) {
        if (font != handle_.get()) handle_.reset(font);
    }
    GpStatus GetStyle(INT* style) const;
    GpStatus GetSize(Gdiplus::REAL* size) const;
    GpStatus GetUnit(Gdiplus::Unit* unit) const;
    GpStatus GetHeight(Gdiplus::GpGraphics* graphics, Gdiplus::REAL* height) const;

  private:
    GpFontOwner handle_;
};

class SkinStringFormat {
  public:
    SkinStringFormat() = default;
    SkinStringFormat(const SkinStringFormat&) = delete;
    SkinStringFormat& operator=(const SkinStringFormat&) = delete;

    void Release() { handle_.reset(); }
    void Create(INT flags, LANGID language);
    void SetAlign(Gdiplus::StringAlignment align);
    void SetLineAlign(Gdiplus::StringAlignment align);
    void SetAligns(Gdiplus::StringAlignment horizontal, Gdiplus::StringAlignment vertical);
    void Adopt(Gdiplus::GpStringFormat* format) {
        if (format != handle_.get()) handle_.reset(format);
    }
    Gdiplus::GpStringFormat* Handle() const { return handle_.get(); }

  private:
    GpFormatOwner handle_;
};

} // namespace skin
