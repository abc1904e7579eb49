// Fonts made from window fonts, and the faces the layered compositor paints, checked on frame pixels.
#include "skin/font.h"
#include "skin/painter.h"
#include "skin/props.h"
#include "skin/window.h"
#include "tests/support/layered_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace layered_test;

namespace {

constexpr Gdiplus::ARGB kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kGrey = 0xFF808080, kYellow = 0xFFFFFF00, kBlack = 0xFF000000;

skin::FontOwner GdiFont(LONG height, LONG weight, BYTE italic = 0, const char* face = "DejaVu Sans") {
    LOGFONTA description{};
    description.lfHeight = height;
    description.lfWeight = weight;
    description.lfItalic = italic;
    description.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(description.lfFaceName, face);
    return skin::FontOwner(CreateFontIndirectA(&description));
}

struct FontFacts {
    INT style = -1;
    Gdiplus::REAL size = 0;
    Gdiplus::Unit unit = Gdiplus::UnitWorld;
};

FontFacts Describe(const skin::SkinFont& font) {
    FontFacts facts;
    font.GetStyle(&facts.style);
    font.GetSize(&facts.size);
    font.GetUnit(&facts.unit);
    return facts;
}

} // namespace

// The height in pixels whatever its sign, bold for weights 600 and 700 only, italic as it was.
TEST(Fonts, WindowFontBecomesPixelFontOfItsHeightAndStyle) {
    constexpr INT kBold = skin::kFontBold, kItalic = skin::kFontItalic;
    const struct {
        LONG height, weight;
        BYTE italic;
        INT style;
    } cases[] = {{-16, 700, 1, kBold | kItalic}, {20, 400, 0, 0},  {-12, 500, 0, 0},
                 {-12, 600, 0, kBold},           {-12, 800, 0, 0}, {-12, 900, 0, 0}};
    for (const auto& c : cases) {
        auto gdiFont = GdiFont(c.height, c.weight, c.italic);
        skin::SkinFont font;
        ASSERT_NE(font.CreateFromHFont(gdiFont.get()), nullptr);
        const FontFacts facts = Describe(font);
        EXPECT_EQ(facts.size, static_cast<Gdiplus::REAL>(std::abs(c.height))) << c.height;
        EXPECT_EQ(facts.style, c.style) << "weight " << c.weight;
        EXPECT_EQ(facts.unit, Gdiplus::UnitPixel);
    }
}

TEST(Fonts, UnknownFaceGivesNoFontAndReleasesTheOneHeld) {
    auto known = GdiFont(-12, FW_NORMAL);
    auto unknown = GdiFont(-12, FW_NORMAL, 0, "Zz No Such Face");
    const long before = skin::LiveObjects(skin::OwnedKind::GpFont);
    skin::SkinFont font;
    ASSERT_NE(font.CreateFromHFont(known.get()), nullptr);
    EXPECT_EQ(font.CreateFromHFont(unknown.get()), nullptr);
    EXPECT_EQ(font.Handle(), nullptr);
    EXPECT_EQ(skin::LiveObjects(skin::OwnedKind::GpFont), before);
    EXPECT_EQ(skin::LiveObjects(skin::OwnedKind::GpFontFamily), 0);
}

TEST(Fonts, NoGdiFontKeepsTheFontHeld) {
    auto known = GdiFont(-12, FW_NORMAL);
    TopWindow window(0, 0, 50, 50, false);
    skin::SkinFont font;
    Gdiplus::GpFont* held = font.CreateFromHFont(known.get());
    EXPECT_EQ(font.CreateFromHFont(nullptr), nullptr);
    EXPECT_EQ(font.CreateFromWindow(window.get()), nullptr); // a window without WM_SETFONT
    EXPECT_EQ(font.Handle(), held);
}

TEST(Fonts, CreatingAgainAndDestroyingReleaseWhatWasHeld) {
    const long fonts = skin::LiveObjects(skin::OwnedKind::GpFont);
    const long formats = skin::LiveObjects(skin::OwnedKind::GpStringFormat);
    {
        skin::SkinFont font;
        EXPECT_EQ(font.Create("DejaVu Sans", 12.0f, 0, Gdiplus::UnitPixel), Gdiplus::Ok);
        EXPECT_EQ(font.Create("DejaVu Sans", 14.0f, 0, Gdiplus::UnitPixel), Gdiplus::Ok);
        EXPECT_EQ(skin::LiveObjects(skin::OwnedKind::GpFont), fonts + 1);
        skin::SkinStringFormat format;
        format.Create(0, 0);
        format.Create(0, 0);
        EXPECT_NE(format.Handle(), nullptr);
        EXPECT_EQ(skin::LiveObjects(skin::OwnedKind::GpStringFormat), formats + 1);
    }
    EXPECT_EQ(skin::LiveObjects(skin::OwnedKind::GpFont), fonts);
    EXPECT_EQ(skin::LiveObjects(skin::OwnedKind::GpStringFormat), formats);
}

TEST(Painter, ColorToArgbPutsAlphaOnTopAndSwapsRedAndBlue) {
    EXPECT_EQ(skin::ColorToArgb(0, 255), 0xFF000000u);
    EXPECT_EQ(skin::ColorToArgb(0x00332211, 0x80), 0x80112233u);
    EXPECT_EQ(skin::ColorToArgb(0xAA332211, 0x80), 0x80112233u);  // the colour's top byte is ignored
    EXPECT_EQ(skin::ColorToArgb(0x000000FF, 0x1FF), 0xFFFF0000u); // only 8 bits of alpha survive
}

// Frames composed with keep on, read pixel by pixel.
class Compose : public testing::Test {
  protected:
    TopWindow window_{40, 40, 120, 80, false};
    skin::GpBitmapOwner back_ = SplitImage(40, 40, kRed, kWhite);

    void SetUp() override { SetImageProp(window_.get(), skin::kPropBackImage, back_.get()); }
    skin::GpBitmapOwner Frame() { return skin::ComposeWindow(window_.get(), true); }
};

TEST_F(Compose, BackgroundIsStretchedOverTheWholeWindow) {
    // GDI+ blends the stretched edges with what lies beyond the image, so only the inside is exact.
    auto frame = Frame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(PixelAt(frame.get(), 3, 3), kRed);
    EXPECT_EQ(PixelAt(frame.get(), 40, 75), kRed);
    EXPECT_EQ(PixelAt(frame.get(), 80, 3), kWhite);
    EXPECT_EQ(PixelAt(frame.get(), 115, 75), kWhite);
}

TEST_F(Compose, LowerChildIsDrawnOnTopAndHiddenChildrenToo) {
    auto upperImage = SolidImage(30, 30, kGreen), lowerImage = SolidImage(30, 30, kYellow);
    HWND upper = MakeChild(window_.get(), "Static", 10, 10, 30, 30, skin::kKindPicture);
    HWND lower = MakeChild(window_.get(), "Static", 20, 20, 30, 30, skin::kKindPicture);
    SetWindowPos(lower, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetImageProp(upper, skin::kPropBackImage, upperImage.get());
    SetImageProp(lower, skin::kPropBackImage, lowerImage.get());
    ShowWindow(lower, SW_HIDE);

    auto frame = Frame();
    EXPECT_EQ(PixelAt(frame.get(), 15, 15), kGreen);
    EXPECT_EQ(PixelAt(frame.get(), 25, 25), kYellow);
    EXPECT_EQ(PixelAt(frame.get(), 45, 45), kYellow);
}

TEST_F(Compose, GrandchildrenAndUntypedChildrenAreNotPainted) {
    auto image = SolidImage(10, 10, kGreen);
    HWND plain = MakeChild(window_.get(), "Static", 0, 0, 60, 60, skin::kKindNone);
    SetImageProp(plain, skin::kPropBackImage, image.get());
    HWND grandchild = MakeChild(plain, "Static", 5, 5, 10, 10, skin::kKindPicture);
    SetImageProp(grandchild, skin::kPropBackImage, image.get());

    auto frame = Frame();
    EXPECT_EQ(PixelAt(frame.get(), 2, 2), kRed);
    EXPECT_EQ(PixelAt(frame.get(), 8, 8), kRed);
}

TEST_F(Compose, ButtonShowsItsStateImageFallingBackToNormal) {
    auto normal = SolidImage(20, 10, kGreen), pressed = SolidImage(20, 10, kYellow);
    HWND button = MakeChild(window_.get(), "Button", 10, 10, 20, 10, skin::kKindButton);
    SetImageProp(button, skin::kPropNormalImage, normal.get());
    SetImageProp(button, skin::kPropDownImage, pressed.get());

    skin::SetSkinProp(button, skin::kPropDrawState, skin::kStatePressed);
    EXPECT_EQ(PixelAt(Frame().get(), 15, 15), kYellow);
    skin::SetSkinProp(button, skin::kPropDrawState, skin::kStateHover);
    EXPECT_EQ(PixelAt(Frame().get(), 15, 15), kGreen);
}

TEST_F(Compose, FitAndCentreAndStretch) {
    auto wide = SolidImage(40, 30, kGreen), tall = SolidImage(10, 40, kYellow);
    HWND fitted = MakeChild(window_.get(), "Static", 0, 0, 20, 20, skin::kKindPicture);
    SetImageProp(fitted, skin::kPropBackImage, wide.get());
    skin::SetSkinProp(fitted, skin::kPropBackType, 2); // 40 x 30 shrinks to 20 x 15, at (0, 2)
    HWND stretched = MakeChild(window_.get(), "Static", 60, 10, 50, 20, skin::kKindPicture);
    SetImageProp(stretched, skin::kPropBackImage, tall.get());
    skin::SetSkinProp(stretched, skin::kPropBackType, 1);

    auto frame = Frame();
    EXPECT_EQ(BoundsOfColour(frame.get(), RECT{0, 0, 20, 20}, kGreen), (RECT{0, 2, 20, 17}));
    const RECT stretch = BoundsOfColour(frame.get(), RECT{55, 5, 115, 35}, kYellow);
    EXPECT_NEAR(stretch.left, 60, 2);
    EXPECT_NEAR(stretch.right, 110, 5); // the stretched edges are blended
    EXPECT_EQ(stretch.top, 10);
    EXPECT_EQ(stretch.bottom, 30);
    EXPECT_EQ(PixelAt(frame.get(), 112, 20), kWhite);
}

// A kind-4 text field made by hand: an EDIT child with its colour properties.
class TextField : public Compose {
  protected:
    HWND field_ = MakeChild(window_.get(), "Edit", 10, 20, 80, 30, skin::kKindTextField);
    skin::FontOwner font_ = GdiFont(-14, FW_NORMAL);

    void SetColours(std::uint32_t back, std::uint32_t backAlpha, std::uint32_t border, std::uint32_t text) {
        skin::SetSkinProp(field_, skin::kPropBackColor, back);
        skin::SetSkinProp(field_, skin::kPropBackAlpha, backAlpha);
        skin::SetSkinProp(field_, skin::kPropOrderColor, border);
        skin::SetSkinProp(field_, skin::kPropOrderAlpha, 255);
        skin::SetSkinProp(field_, skin::kPropTextColor, text);
    }
    void SetText(const char* text) {
        SendMessageA(field_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        SetWindowTextA(field_, text);
    }
};

TEST_F(TextField, FillImageBorderThenTextInsetAndCentredInItsColour) {
    auto image = SolidImage(20, 20, kYellow);
    SetImageProp(field_, skin::kPropBackImage, image.get());
    SetColours(0x00808080, 255, 0x0000FF00, 0x00FF0000); // grey fill, green border, blue text
    SetText("WWW");

    auto frame = Frame();
    EXPECT_EQ(PixelAt(frame.get(), 80, 45), kGrey);   // fill
    EXPECT_EQ(PixelAt(frame.get(), 12, 35), kYellow); // image over the fill
    EXPECT_EQ(PixelAt(frame.get(), 15, 20), kGreen);  // border over the image
    EXPECT_EQ(PixelAt(frame.get(), 89, 49), kGrey);   // a 1-pixel outline, inside corner untouched

    const RECT text = BoundsOfColour(frame.get(), RECT{11, 21, 90, 50}, kBlue);
    ASSERT_LT(text.left, text.right) << "no opaque pixel of the text colour";
    EXPECT_GE(text.left, 12); // GDI+ keeps a sixth of the em before the first glyph
    EXPECT_LE(text.left, 17);
    EXPECT_LE(std::abs((text.top + text.bottom) - (20 + 50)), 3) << text.top << ".." << text.bottom;
}

TEST_F(TextField, TextUsesTheFieldsFontOnOneLine) {
    SetColours(skin::kNoColour, 0, skin::kNoColour, 0x00FF0000);
    SetText("W W W W W W W W W W W W W W");
    const RECT small = BoundsOfColour(Frame().get(), RECT{0, 0, 120, 80}, kBlue);
    font_ = GdiFont(-22, FW_NORMAL);
    SetText("W W W W W W W W W W W W W W");
    const RECT large = BoundsOfColour(Frame().get(), RECT{0, 0, 120, 80}, kBlue);
    EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
    EXPECT_LE(large.bottom - large.top, 26) << "wrapped onto a second line";
    EXPECT_LE(large.right, 88) << "text runs past the inset";
}

TEST_F(TextField, WithoutAFontNoTextIsDrawn) {
    SetColours(skin::kNoColour, 0, skin::kNoColour, 0x00FF0000);
    SetWindowTextA(field_, "WWW");
    const RECT text = BoundsOfColour(Frame().get(), RECT{0, 0, 120, 80}, kBlue);
    EXPECT_EQ(text.right - text.left, 0);
}

TEST_F(TextField, ImageLargerThanTheFieldIsCutAndEndsTheFace) {
    auto image = SplitImage(120, 40, kYellow, kGreen); // yellow columns 0..59, green 60..119
    SetImageProp(field_, skin::kPropBackImage, image.get());
    SetColours(0x00808080, 255, 0x00FF0000, 0x00FF0000);
    SetText("WWW");

    auto frame = Frame();
    EXPECT_EQ(BoundsOfColour(frame.get(), RECT{0, 0, 120, 80}, kYellow), (RECT{10, 20, 70, 50}));
    EXPECT_EQ(BoundsOfColour(frame.get(), RECT{0, 0, 120, 80}, kGreen), (RECT{70, 20, 90, 50}));
    const RECT blue = BoundsOfColour(frame.get(), RECT{0, 0, 120, 80}, kBlue);
    EXPECT_EQ(blue.right - blue.left, 0) << "neither border nor text after a cut image";
}

TEST_F(TextField, ImageThatFitsKeepsItsNaturalSize) {
    auto image = SolidImage(15, 8, kYellow);
    SetImageProp(field_, skin::kPropBackImage, image.get());
    SetColours(skin::kNoColour, 0, skin::kNoColour, 0);
    EXPECT_EQ(BoundsOfColour(Frame().get(), RECT{0, 0, 120, 80}, kYellow), (RECT{10, 20, 25, 28}));
}

TEST_F(TextField, MissingColoursAreTransparentBlackAndNotSkipped) {
    auto frame = Frame(); // no colour property at all: fill and border of alpha 0 change nothing
    EXPECT_EQ(PixelAt(frame.get(), 10, 20), kRed);
    EXPECT_EQ(PixelAt(frame.get(), 20, 35), kRed);

    skin::SetSkinProp(field_, skin::kPropBackAlpha, 255); // colour still missing: opaque black
    EXPECT_EQ(PixelAt(Frame().get(), 20, 35), kBlack);
}

TEST_F(TextField, PaintingAFaceLeavesNoObjectAlive) {
    auto image = SolidImage(20, 20, kYellow);
    SetImageProp(field_, skin::kPropBackImage, image.get());
    SetColours(0x00808080, 128, 0x0000FF00, 0x00FF0000);
    SetText("WWW");
    Frame(); // the window's kept bitmaps are made by the first composition and live on
    const long gdi = skin::LiveGdiObjects(), gdip = skin::LiveGdipObjects();
    Frame();
    EXPECT_EQ(skin::LiveGdiObjects(), gdi);
    EXPECT_EQ(skin::LiveGdipObjects(), gdip);
}
