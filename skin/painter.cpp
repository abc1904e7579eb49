#include "skin/painter.h"

#include "skin/font.h"
#include "skin/owners.h"
#include "skin/props.h"
#include "skin/state_drawing.h"

#include <algorithm>

namespace skin {
namespace {

// Text of a field: one line, no black-box fitting, inset from the field's edges.
constexpr INT kTextFormatFlags = Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoFitBlackBox;
constexpr LANGID kNeutralLanguage = 0;
constexpr int kTextInset = 2;
constexpr Gdiplus::REAL kBorderWidth = 1.0f;
constexpr std::uint32_t kOpaque = 255;
constexpr Gdiplus::ARGB kCueLight = 0xFFFFFFFF, kCueDark = 0xFF000000;
// An image counts as larger than its child only beyond this margin.
constexpr double kSizeTolerance = 1e-7;

enum BackTypeCode : int { kBackStretch = 1, kBackFit = 2 };

// Colour properties hold 32-bit values; kNoColour may have been stored sign-extended or not.
std::uint32_t ColourProp(HWND child, const char* key) {
    return static_cast<std::uint32_t>(GetSkinProp(child, key));
}

// Places the image by back type. Returns false when the image was cut at its natural size, after which
// nothing more is drawn for the child.
bool DrawChildImage(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image, int backType, int x, int y, int w,
                    int h) {
    Gdiplus::REAL iw = 0, ih = 0;
    gp::GdipGetImageDimension(image, &iw, &ih);
    using R = Gdiplus::REAL;
    switch (backType) {
    case kBackStretch: gp::GdipDrawImageRect(graphics, image, R(x), R(y), R(w), R(h)); return true;
    case kBackFit: {
        const FitSize fit = FitWithin(static_cast<int>(iw), static_cast<int>(ih), w, h);
        const int ox = static_cast<int>((w - fit.width) / 2.0);
        const int oy = static_cast<int>((h - fit.height) / 2.0);
        gp::GdipDrawImageRect(graphics, image, R(x + ox), R(y + oy), R(fit.width), R(fit.height));
        return true;
    }
    default:
        if (iw - w > kSizeTolerance || ih - h > kSizeTolerance) {
            // Natural size, cut at the child's edges. The source never reaches past the image, so a
            // side that fits is not stretched to fill the child.
            const R cw = std::min<R>(R(w), iw), ch = std::min<R>(R(h), ih);
            gp::GdipDrawImageRectRect(graphics, image, R(x), R(y), cw, ch, 0, 0, cw, ch, Gdiplus::UnitPixel,
                                      nullptr, nullptr, nullptr);
            return false;
        }
        gp::GdipDrawImageRect(graphics, image, R(x), R(y), iw, ih);
        return true;
    }
}

void FillField(Gdiplus::GpGraphics* graphics, HWND child, int x, int y, int w, int h) {
    const std::uint32_t colour = ColourProp(child, kPropBackColor);
    if (colour == kNoColour) return;
    Gdiplus::GpSolidFill* brush = nullptr;
    gp::GdipCreateSolidFill(ColorToArgb(colour, ColourProp(child, kPropBackAlpha)), &brush);
    GpSolidFillOwner owner(brush);
    gp::GdipFillRectangleI(graphics, brush, x, y, w, h);
}

void OutlineField(Gdiplus::GpGraphics* graphics, HWND child, int x, int y, int w, int h) {
    const std::uint32_t colour = ColourProp(child, kPropOrderColor);
    if (colour == kNoColour) return;
    Gdiplus::GpPen* pen = nullptr;
    gp::GdipCreatePen1(ColorToArgb(colour, ColourProp(child, kPropOrderAlpha)), kBorderWidth,
                       Gdiplus::UnitWorld, &pen);
    GpPenOwner owner(pen);
    gp::GdipDrawRectangleI(graphics, pen, x, y, w, h);
}

void DrawFieldText(Gdiplus::GpGraphics* graphics, HWND child, int x, int y, int w, int h) {
    const std::wstring text = ReadWindowText(child);
    if (text.empty()) return;

    SkinFont font;
    font.CreateFromWindow(child);
    SkinStringFormat format;
    format.Create(kTextFormatFlags, kNeutralLanguage);
    format.SetAligns(Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter);
    Gdiplus::GpSolidFill* brush = nullptr;
    gp::GdipCreateSolidFill(ColorToArgb(ColourProp(child, kPropTextColor), kOpaque), &brush);
    GpSolidFillOwner brushOwner(brush);

    const Gdiplus::RectF layout(Gdiplus::REAL(x + kTextInset), Gdiplus::REAL(y + kTextInset),
                                Gdiplus::REAL(w - 2 * kTextInset), Gdiplus::REAL(h - 2 * kTextInset));
    gp::GdipDrawString(graphics, text.c_str(), static_cast<INT>(text.size()), font.Handle(), &layout,
                       format.Handle(), brush);
}

// The focus cue of a button: two one-pixel rings along its edges, light outside and dark inside, so
// that it reads on the dark band as on the buttons' own colours. Shown only while the button has the
// focus and its window shows focus cues (after the keyboard was first used).
bool DrawFocusCue(Gdiplus::GpGraphics* graphics, HWND window, HWND child, int x, int y, int w, int h) {
    if (!GetSkinProp(child, kPropIsFocus) || !GetSkinProp(window, kPropFocusCues)) return false;
    const Gdiplus::ARGB rings[] = {kCueLight, kCueDark};
    for (int ring = 0; ring < 2; ++ring) {
        const int left = x + ring, top = y + ring, width = w - 2 * ring, height = h - 2 * ring;
        if (width <= 0 || height <= 0) break;
        Gdiplus::GpSolidFill* brush = nullptr;
        gp::GdipCreateSolidFill(rings[ring], &brush);
        GpSolidFillOwner owner(brush);
        gp::GdipFillRectangleI(graphics, brush, left, top, width, 1);
        gp::GdipFillRectangleI(graphics, brush, left, top + height - 1, width, 1);
        gp::GdipFillRectangleI(graphics, brush, left, top, 1, height);
        gp::GdipFillRectangleI(graphics, brush, left + width - 1, top, 1, height);
    }
    return true;
}

} // namespace

Gdiplus::ARGB ColorToArgb(std::uint32_t colour, std::uint32_t alpha) {
    const std::uint32_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

std::wstring ReadWindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), length + 1));
    return text;
}

ChildFace PaintChildFace(HWND window, HWND child, Gdiplus::GpGraphics* graphics) {
    const int kind = Kind(child);
    if (kind != kKindPicture && kind != kKindButton && kind != kKindTextField) return {kind};
    RECT rect{};
    GetWindowRect(child, &rect);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    POINT origin{rect.left, rect.top};
    ScreenToClient(window, &origin);
    const int x = origin.x, y = origin.y;

    Gdiplus::GpImage* image = nullptr;
    switch (kind) {
    case kKindPicture: image = reinterpret_cast<Gdiplus::GpImage*>(GetSkinProp(child, kPropBackImage)); break;
    case kKindButton: image = StateImage(child, GetDrawStateProp(child)); break;
    case kKindTextField:
        image = reinterpret_cast<Gdiplus::GpImage*>(GetSkinProp(child, kPropBackImage));
        FillField(graphics, child, x, y, w, h);
        break;
    }

    ChildFace face{kind, image || kind == kKindTextField, image};
    const bool whole =
        !image ||
        DrawChildImage(graphics, image, static_cast<int>(GetSkinProp(child, kPropBackType)), x, y, w, h);
    if (kind == kKindButton && DrawFocusCue(graphics, window, child, x, y, w, h)) face.painted = true;
    if (!whole || kind != kKindTextField) return face;
    OutlineField(graphics, child, x, y, w, h);
    DrawFieldText(graphics, child, x, y, w, h);
    return face;
}

} // namespace skin
