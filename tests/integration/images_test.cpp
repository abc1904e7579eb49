// The embedded artwork (catalogue sizes and formats, the GIF's structure, the icons, the
// backgrounds' label layout) and in-memory decoding (DecodeImage, ImageStream).
#include "images/catalogue.h"
#include "images/decode.h"
#include "images/image_stream.h"
#include "images/resource_ids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using images::Art;
using images::Bytes;

namespace {

enum class Kind { Rgb, Rgba, Gif };

struct Entry {
    Art art;
    const char* name;
    unsigned width, height;
    Kind kind;
};

const Entry kCatalogue[] = {
    {Art::TitleBackground, "TitleBackground", 800, 540, Kind::Rgb},
    {Art::DoneBackground, "DoneBackground", 800, 540, Kind::Rgb},
    {Art::RadioOnImage, "RadioOnImage", 22, 22, Kind::Rgba},
    {Art::RadioOffImage, "RadioOffImage", 22, 22, Kind::Rgba},
    {Art::ApplyNormal, "ApplyImages[0]", 160, 52, Kind::Rgba},
    {Art::ApplyHover, "ApplyImages[1]", 160, 52, Kind::Rgba},
    {Art::ApplyPressed, "ApplyImages[2]", 160, 52, Kind::Rgba},
    {Art::LogOffNormal, "LogOffImages[0]", 160, 52, Kind::Rgba},
    {Art::LogOffHover, "LogOffImages[1]", 160, 52, Kind::Rgba},
    {Art::LogOffPressed, "LogOffImages[2]", 160, 52, Kind::Rgba},
    {Art::CloseNormal, "CloseImages[0]", 18, 18, Kind::Rgba},
    {Art::CloseHover, "CloseImages[1]", 18, 18, Kind::Rgba},
    {Art::ClosePressed, "CloseImages[2]", 18, 18, Kind::Rgba},
    {Art::StepBarImage, "StepBarImage", 711, 26, Kind::Rgba},
    {Art::ProgressStrip, "ProgressStrip", 800, 6, Kind::Gif},
};

const GUID kTimeDimension = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

unsigned Width(images::ImageHandle image) {
    UINT w = 0;
    gp::GdipGetImageWidth(image, &w);
    return w;
}
unsigned Height(images::ImageHandle image) {
    UINT h = 0;
    gp::GdipGetImageHeight(image, &h);
    return h;
}

// The image's current frame as 32-bit ARGB pixels, row after row.
std::vector<std::uint32_t> Pixels(images::ImageHandle image) {
    const unsigned w = Width(image), h = Height(image);
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
    const Gdiplus::GpRect rect(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    Gdiplus::BitmapData data{};
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image);
    if (gp::GdipBitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        Gdiplus::Ok)
        return {};
    for (unsigned y = 0; y < h; ++y)
        std::memcpy(&out[static_cast<std::size_t>(y) * w],
                    static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride,
                    w * 4u);
    gp::GdipBitmapUnlockBits(bitmap, &data);
    return out;
}

std::vector<std::uint8_t> Copy(Bytes bytes) {
    return {bytes.begin(), bytes.end()};
}

// ---- the global-memory seam: counts blocks, can fail, poison or pre-fill them ----

struct BlockLog {
    static inline std::atomic<int> allocs{0}, frees{0}, live{0};
    static inline bool failAlloc = false, failLock = false, poisonOnFree = false, prefill = false;
    static inline bool writtenAfterFailedLock = false;
    static void Reset() {
        allocs = frees = live = 0;
        failAlloc = failLock = poisonOnFree = prefill = writtenAfterFailedLock = false;
    }
};

constexpr std::uint8_t kFill = 0xAB, kPoison = 0xCD;

HGLOBAL WINAPI LogAlloc(UINT flags, SIZE_T bytes) {
    if (BlockLog::failAlloc) return nullptr;
    HGLOBAL block = GlobalAlloc(flags, bytes);
    if (!block) return nullptr;
    ++BlockLog::allocs;
    ++BlockLog::live;
    if (BlockLog::prefill && bytes) {
        void* at = GlobalLock(block);
        std::memset(at, kFill, bytes);
        GlobalUnlock(block);
    }
    return block;
}
LPVOID WINAPI LogLock(HGLOBAL block) {
    return BlockLog::failLock ? nullptr : GlobalLock(block);
}
BOOL WINAPI LogUnlock(HGLOBAL block) {
    return GlobalUnlock(block);
}
HGLOBAL WINAPI LogFree(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);
    auto* at = static_cast<std::uint8_t*>(GlobalLock(block));
    if (at && BlockLog::prefill)
        for (SIZE_T i = 0; i < size; ++i)
            if (at[i] != kFill) BlockLog::writtenAfterFailedLock = true;
    if (at && BlockLog::poisonOnFree) std::memset(at, kPoison, size);
    if (at) GlobalUnlock(block);
    ++BlockLog::frees;
    --BlockLog::live;
    return GlobalFree(block);
}

const images::GlobalMemoryCalls kLogCalls{LogAlloc, LogLock, LogUnlock, LogFree};

// Installs the seam for one test and removes it afterwards.
struct LoggedBlocks {
    LoggedBlocks() {
        BlockLog::Reset();
        images::SetGlobalMemoryCallsForTesting(&kLogCalls);
    }
    ~LoggedBlocks() {
        images::SetGlobalMemoryCallsForTesting(nullptr);
        BlockLog::Reset();
    }
};

// ---- file structure readers ----

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
unsigned Le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

struct GifFrame {
    unsigned left, top, width, height;
    unsigned delay, disposal;
    bool transparent;
    unsigned transparentIndex;
    bool localTable;
};

struct GifInfo {
    std::string error; // empty when the file parsed
    unsigned width = 0, height = 0, globalEntries = 0;
    int loopCount = -1;
    bool xmp = false;
    std::vector<GifFrame> frames;
};

GifInfo ParseGif(Bytes b) {
    GifInfo g;
    std::size_t at = 0;
    auto need = [&](std::size_t n) { return at + n <= b.size(); };
    if (!need(13) || std::memcmp(b.data(), "GIF89a", 6) != 0) return g.error = "no GIF89a header", g;
    g.width = Le16(&b[6]);
    g.height = Le16(&b[8]);
    const unsigned packed = b[10];
    at = 13;
    if (packed & 0x80) {
        g.globalEntries = 1u << ((packed & 7) + 1);
        at += 3 * g.globalEntries;
    }
    GifFrame pending{};
    bool havePending = false;
    auto skipSubBlocks = [&]() {
        while (need(1) && b[at] != 0)
            at += 1 + b[at];
        ++at;
    };
    while (need(1)) {
        const std::uint8_t kind = b[at++];
        if (kind == 0x3B) return g; // trailer
        if (kind == 0x21) {
            if (!need(2)) break;
            const std::uint8_t label = b[at++];
            if (label == 0xF9) {
                if (!need(6) || b[at] != 4) return g.error = "bad graphic control extension", g;
                pending = {};
                pending.disposal = (b[at + 1] >> 2) & 7;
                pending.transparent = b[at + 1] & 1;
                pending.delay = Le16(&b[at + 2]);
                pending.transparentIndex = b[at + 4];
                havePending = true;
                at += 5;
                skipSubBlocks();
            } else if (label == 0xFF) {
                if (!need(12) || b[at] != 11) return g.error = "bad application extension", g;
                const std::string id(reinterpret_cast<const char*>(&b[at + 1]), 11);
                at += 12;
                if (id == "NETSCAPE2.0") {
                    if (!need(4) || b[at] != 3 || b[at + 1] != 1)
                        return g.error = "bad NETSCAPE extension", g;
                    g.loopCount = static_cast<int>(Le16(&b[at + 2]));
                }
                if (id == "XMP DataXMP") g.xmp = true;
                skipSubBlocks();
            } else {
                skipSubBlocks();
            }
        } else if (kind == 0x2C) {
            if (!need(10)) break;
            if (!havePending) return g.error = "a frame without graphic control extension", g;
            GifFrame f = pending;
            f.left = Le16(&b[at]);
            f.top = Le16(&b[at + 2]);
            f.width = Le16(&b[at + 4]);
            f.height = Le16(&b[at + 6]);
            f.localTable = b[at + 8] & 0x80;
            at += 9;
            if (f.localTable) at += 3 * (1u << ((b[at - 1] & 7) + 1));
            ++at; // LZW minimum code size
            skipSubBlocks();
            g.frames.push_back(f);
            havePending = false;
        } else {
            return g.error = "unknown block", g;
        }
    }
    g.error = "no trailer";
    return g;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------

// Each PNG: its header as catalogued, and an image of its size that no longer needs the block it was
// decoded from (whatever still read the block once released would read garbage).
TEST(Artwork, EachPngIsAsCataloguedAndDecodesIntoAnImageOfItsOwn) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Entry& e : kCatalogue) {
        if (e.kind == Kind::Gif) continue;
        SCOPED_TRACE(e.name);
        Bytes b = images::ArtBytes(e.art);
        ASSERT_GE(b.size(), 33u);
        ASSERT_EQ(std::memcmp(b.data(), signature, 8), 0) << "not a PNG";
        ASSERT_EQ(Be32(&b[8]), 13u);
        ASSERT_EQ(std::memcmp(&b[12], "IHDR", 4), 0);
        EXPECT_EQ(b[24], 8) << "bit depth";
        EXPECT_EQ(b[25], e.kind == Kind::Rgb ? 2 : 6) << "colour type (2 RGB, 6 RGBA)";
        EXPECT_EQ(b[28], 0) << "interlace";
        images::ImageHandle reference = images::DecodeImage(b);
        ASSERT_NE(reference, nullptr);
        EXPECT_EQ(Width(reference), e.width);
        EXPECT_EQ(Height(reference), e.height);
        images::ImageHandle poisoned = nullptr;
        {
            LoggedBlocks log;
            BlockLog::poisonOnFree = true;
            poisoned = images::DecodeImage(b);
            EXPECT_EQ(BlockLog::allocs, 1);
            EXPECT_EQ(BlockLog::live, 0) << "no block is left behind";
        }
        ASSERT_NE(poisoned, nullptr);
        EXPECT_EQ(Pixels(poisoned), Pixels(reference));
        gp::GdipDisposeImage(poisoned);
        gp::GdipDisposeImage(reference);
    }
}

TEST(Artwork, ProgressStripHasTheCataloguedStructure) {
    const GifInfo g = ParseGif(images::ArtBytes(Art::ProgressStrip));
    ASSERT_EQ(g.error, "");
    EXPECT_EQ(g.width, 800u);
    EXPECT_EQ(g.height, 6u);
    EXPECT_EQ(g.globalEntries, 256u);
    EXPECT_EQ(g.loopCount, 0) << "NETSCAPE looping extension, repeat for ever";
    EXPECT_TRUE(g.xmp) << "XMP application extension";
    ASSERT_EQ(g.frames.size(), 4u);
    for (std::size_t i = 0; i < g.frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        const GifFrame& f = g.frames[i];
        EXPECT_EQ(f.delay, 10u) << "100 ms";
        EXPECT_EQ(f.disposal, 1u);
        EXPECT_TRUE(f.transparent);
        EXPECT_EQ(f.transparentIndex, 255u);
        EXPECT_FALSE(f.localTable);
        EXPECT_EQ(f.left, 0u);
        EXPECT_EQ(f.width, 800u);
        EXPECT_EQ(f.top, i < 2 ? 0u : 1u);
        EXPECT_EQ(f.height, i < 2 ? 6u : 4u);
    }
}

TEST(Artwork, DecodedProgressStripKeepsItsFramesAfterTheBlockIsGone) {
    LoggedBlocks log;
    BlockLog::poisonOnFree = true; // whatever still read the copied block would read garbage
    images::ImageHandle strip = images::DecodeImage(images::ArtBytes(Art::ProgressStrip));
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(BlockLog::frees, 1) << "the copied block is released";
    EXPECT_EQ(BlockLog::live, 1) << "the image keeps exactly one block: its own stream's";
    UINT frames = 0;
    ASSERT_EQ(gp::GdipImageGetFrameCount(strip, &kTimeDimension, &frames), Gdiplus::Ok);
    ASSERT_EQ(frames, 4u);
    // Frame 0 is the active one after decoding.
    std::vector<std::uint32_t> first = Pixels(strip);
    ASSERT_EQ(first.size(), 800u * 6u);
    for (UINT i = 0; i < frames; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        ASSERT_EQ(gp::GdipImageSelectActiveFrame(strip, &kTimeDimension, i), Gdiplus::Ok);
        ASSERT_EQ(Width(strip), 800u);
        std::vector<std::uint32_t> px = Pixels(strip);
        ASSERT_EQ(px.size(), 800u * 6u);
        if (i == 0) {
            EXPECT_EQ(px, first);
        }
        // Frames 1-2 draw black top and bottom rows; frames 3-4 leave them out (transparent or kept).
        if (i < 2) {
            EXPECT_EQ(px[0] & 0x00FFFFFFu, 0u);
            EXPECT_EQ(px[5 * 800] & 0x00FFFFFFu, 0u);
        }
        // The bar rows are opaque amber: red high, blue low.
        const std::uint32_t bar = px[2 * 800 + 400];
        EXPECT_EQ(bar >> 24, 0xFFu);
        EXPECT_GT((bar >> 16) & 0xFF, 200u);
        EXPECT_LT(bar & 0xFF, 120u);
    }
    // The highlights move: frames 1 and 2 differ.
    gp::GdipImageSelectActiveFrame(strip, &kTimeDimension, 0);
    std::vector<std::uint32_t> a = Pixels(strip);
    gp::GdipImageSelectActiveFrame(strip, &kTimeDimension, 1);
    EXPECT_NE(a, Pixels(strip));
    gp::GdipDisposeImage(strip);
}

TEST(Artwork, IconsAre32BitWithAlpha) {
    struct IconCase {
        int id;
        int size;
    } cases[] = {{ZEN_ICON_APP, 128}, {ZEN_ICON_WINDOW, 64}};
    HMODULE module = GetModuleHandleA(nullptr);
    for (const IconCase& c : cases) {
        SCOPED_TRACE("icon " + std::to_string(c.id));
        // The icon directory: one image of the stated size at 32 bits.
        HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(c.id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        ASSERT_NE(group, nullptr);
        auto* dir = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, group)));
        ASSERT_NE(dir, nullptr);
        ASSERT_EQ(Le16(dir + 4), 1u) << "one image";
        EXPECT_EQ(dir[6], c.size % 256);
        EXPECT_EQ(dir[7], c.size % 256);
        EXPECT_EQ(Le16(dir + 6 + 6), 32u) << "bits per pixel";
        // Loaded by the system: a 32-bit colour bitmap whose alpha really varies (anti-aliased corners).
        HICON icon = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(c.id), IMAGE_ICON, c.size, c.size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, c.size);
        EXPECT_EQ(bm.bmHeight, c.size);
        std::vector<std::uint32_t> px(static_cast<std::size_t>(c.size) * c.size);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = c.size;
        bi.bmiHeader.biHeight = -c.size;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, info.hbmColor, 0, c.size, px.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        int transparent = 0, partial = 0, blue = 0, white = 0;
        for (std::uint32_t p : px) {
            const unsigned a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            transparent += a == 0;
            partial += a > 0 && a < 255;
            blue += a == 255 && b > 150 && r < 120;
            white += a == 255 && r > 235 && g > 235 && b > 235;
        }
        EXPECT_GT(transparent, 0) << "corners outside the rounded tile";
        EXPECT_GT(partial, 0) << "anti-aliased edges";
        EXPECT_GT(blue, c.size * c.size / 3) << "a blue tile";
        EXPECT_GT(white, c.size * c.size / 20) << "white tools";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// ---- the backgrounds' layout ----

namespace {

struct Rgb {
    unsigned r, g, b;
};
Rgb At(const std::vector<std::uint32_t>& px, int x, int y) {
    const std::uint32_t p = px[static_cast<std::size_t>(y) * 800 + x];
    return {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
}
unsigned MinChannel(Rgb c) {
    return std::min(c.r, std::min(c.g, c.b));
}
unsigned MaxChannel(Rgb c) {
    return std::max(c.r, std::max(c.g, c.b));
}

struct LabelBox {
    const char* text;
    int top, bottom;
};
const LabelBox kLabels[] = {{"正常-100% (默认)", 384, 397}, {"中等-125%", 424, 440}, {"较大-150%", 463, 482}};

} // namespace

class Background : public testing::TestWithParam<Art> {};

TEST_P(Background, FollowsTheSharedLayout) {
    images::ImageHandle image = images::DecodeImage(images::ArtBytes(GetParam()));
    ASSERT_NE(image, nullptr);
    const std::vector<std::uint32_t> px = Pixels(image);
    gp::GdipDisposeImage(image);
    ASSERT_EQ(px.size(), 800u * 540u);
    for (int x = 0; x < 800; ++x) {
        EXPECT_LE(MaxChannel(At(px, x, 52)), 16u) << "row 52 is black, column " << x;
        EXPECT_LE(MaxChannel(At(px, x, 346)), 16u) << "row 346 is black, column " << x;
    }
    // Dark grey title band (away from the logo), light band, dark grey bottom band.
    for (int y : {2, 25, 51})
        EXPECT_LE(MaxChannel(At(px, 400, y)), 90u) << "title band row " << y;
    for (int y : {53, 150, 345})
        EXPECT_GE(MinChannel(At(px, 460, y)), 180u) << "light band row " << y;
    for (int y : {347, 380, 539})
        EXPECT_LE(MaxChannel(At(px, 40, y)), 90u) << "bottom band row " << y;
    // Down to the last row, opaque grey: a decoder that lost it would leave it transparent black.
    int lost = 0;
    for (int x = 0; x < 800; ++x)
        lost += px[539 * 800 + x] >> 24 != 0xFF || MinChannel(At(px, x, 539)) < 30;
    EXPECT_EQ(lost, 0) << "pixels of the last row";
    // A white logo at the top left.
    int logo = 0;
    for (int y = 0; y < 52; ++y)
        for (int x = 0; x < 60; ++x)
            logo += MinChannel(At(px, x, y)) > 230;
    EXPECT_GT(logo, 40);
}

TEST_P(Background, LabelsAreWhiteAndStartAtColumn112) {
    images::ImageHandle image = images::DecodeImage(images::ArtBytes(GetParam()));
    ASSERT_NE(image, nullptr);
    const std::vector<std::uint32_t> px = Pixels(image);
    gp::GdipDisposeImage(image);
    ASSERT_EQ(px.size(), 800u * 540u);
    for (const LabelBox& box : kLabels) {
        SCOPED_TRACE(box.text);
        int white = 0, left = 0, firstRow = 999, lastRow = -1, firstColumn = 999;
        for (int y = box.top; y <= box.bottom; ++y) {
            for (int x = 0; x < 112; ++x)
                left += MinChannel(At(px, x, y)) >= 128;
            for (int x = 112; x < 112 + 200; ++x) {
                if (MinChannel(At(px, x, y)) >= 200) {
                    ++white;
                    firstRow = std::min(firstRow, y);
                    lastRow = std::max(lastRow, y);
                    firstColumn = std::min(firstColumn, x);
                }
            }
        }
        EXPECT_GT(white, 30) << "white text inside the label box";
        EXPECT_EQ(left, 0) << "text pixels left of column 112";
        // The text fills the box: white near its top and bottom rows and at its left edge.
        EXPECT_LE(firstRow, box.top + 2);
        EXPECT_GE(lastRow, box.bottom - 2);
        EXPECT_LE(firstColumn, 114);
        // Nothing bright just above or below the box.
        int outside = 0;
        for (int x = 112; x < 112 + 200; ++x)
            for (int y : {box.top - 2, box.bottom + 2})
                outside += MinChannel(At(px, x, y)) >= 128;
        EXPECT_EQ(outside, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, Background, testing::Values(Art::TitleBackground, Art::DoneBackground),
                         [](const testing::TestParamInfo<Art>& info) {
                             return info.param == Art::TitleBackground ? "TitleBackground" : "DoneBackground";
                         });

// ---- DecodeImage ----

TEST(DecodeImage, EmptyTruncatedAndForeignBytesGiveZeroAndLeaveNoBlock) {
    const std::vector<std::uint8_t> title = Copy(images::ArtBytes(Art::TitleBackground));
    const std::vector<std::uint8_t> strip = Copy(images::ArtBytes(Art::ProgressStrip));
    const std::string text = "这不是图片 / not an image at all, just some text bytes";
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"absent", Bytes{}},
        {"empty", Bytes{title.data(), 0}},
        {"PNG signature only", Bytes{title.data(), 8}},
        {"PNG header only", Bytes{title.data(), 100}},
        {"PNG cut in half", Bytes{title.data(), title.size() / 2}},
        {"PNG without its last bytes", Bytes{title.data(), title.size() - 20}},
        {"GIF header only", Bytes{strip.data(), 13}},
        {"text", Bytes{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoggedBlocks log;
        EXPECT_EQ(images::DecodeImage(c.bytes), nullptr);
        EXPECT_EQ(BlockLog::allocs, 1) << "one block per decode";
        EXPECT_EQ(BlockLog::frees, 1) << "and it is released";
        EXPECT_EQ(BlockLog::live, 0);
    }
}

TEST(DecodeImage, FailedAllocationGivesZero) {
    LoggedBlocks log;
    BlockLog::failAlloc = true;
    EXPECT_EQ(images::DecodeImage(images::ArtBytes(Art::RadioOnImage)), nullptr);
    EXPECT_EQ(BlockLog::frees, 0);
    EXPECT_EQ(BlockLog::live, 0);
}

TEST(DecodeImage, FailedLockGivesZeroWithoutWritingIntoTheBlock) {
    LoggedBlocks log;
    BlockLog::failLock = true;
    BlockLog::prefill = true; // every block starts as kFill; LogFree notes any other byte
    EXPECT_EQ(images::DecodeImage(images::ArtBytes(Art::RadioOnImage)), nullptr);
    EXPECT_EQ(BlockLog::allocs, 1);
    EXPECT_EQ(BlockLog::frees, 1) << "the block whose lock failed is released";
    EXPECT_EQ(BlockLog::live, 0);
    EXPECT_FALSE(BlockLog::writtenAfterFailedLock);
}

// Decoded on this thread and on a worker: two images of the same pixels, each living on without the other.
TEST(DecodeImage, OnAWorkerThreadTooAndTwiceGivesTwoImagesOfTheSamePixels) {
    for (Art art :
         {Art::DoneBackground, Art::LogOffNormal, Art::LogOffHover, Art::LogOffPressed, Art::ProgressStrip}) {
        SCOPED_TRACE(static_cast<int>(art));
        images::ImageHandle main = images::DecodeImage(images::ArtBytes(art));
        images::ImageHandle worker = nullptr;
        std::thread thread([&] { worker = images::DecodeImage(images::ArtBytes(art)); });
        thread.join();
        ASSERT_NE(main, nullptr);
        ASSERT_NE(worker, nullptr);
        EXPECT_NE(main, worker);
        UINT mainFrames = 0, workerFrames = 0;
        gp::GdipImageGetFrameCount(main, &kTimeDimension, &mainFrames);
        gp::GdipImageGetFrameCount(worker, &kTimeDimension, &workerFrames);
        EXPECT_EQ(workerFrames, mainFrames);
        const std::vector<std::uint32_t> pixels = Pixels(main);
        gp::GdipDisposeImage(main);
        EXPECT_EQ(Pixels(worker), pixels);
        gp::GdipDisposeImage(worker);
    }
}

// ---- ImageStream ----

TEST(ImageStream, CopyModeHoldsTheBytesInAFixedBlock) {
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7};
    LoggedBlocks log;
    {
        images::ImageStream s;
        IStream* stream = s.CreateFromBytes(bytes, true);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(s.GetStream(), stream);
        EXPECT_EQ(s.BlockSize(), bytes.size());
        EXPECT_EQ(s.ReadAllBytes(), bytes);
        EXPECT_EQ(GlobalLock(s.Block()), static_cast<void*>(s.Block())) << "a fixed block is its own address";
        GlobalUnlock(s.Block());
        std::uint8_t read[16] = {};
        ULONG got = 0;
        ASSERT_EQ(stream->Read(read, sizeof read, &got), S_OK);
        EXPECT_EQ(got, bytes.size());
        EXPECT_EQ(std::memcmp(read, bytes.data(), bytes.size()), 0);

        auto clone = s.Clone();
        EXPECT_EQ(clone->GetStream(), s.GetStream());
        EXPECT_EQ(clone->Block(), s.Block());
        clone.reset(); // the clone does not free the block it shares
        EXPECT_EQ(BlockLog::frees, 0);
        EXPECT_EQ(s.ReadAllBytes(), bytes);

        // A second CreateFromBytes drops the first block.
        s.CreateFromBytes(Bytes{bytes.data(), 3}, true);
        EXPECT_EQ(BlockLog::frees, 1);
        EXPECT_EQ(s.BlockSize(), 3u);
        s.FreeBlock();
        EXPECT_EQ(s.Block(), nullptr);
        EXPECT_EQ(s.GetStream(), nullptr);
        EXPECT_EQ(s.BlockSize(), 0u);
        EXPECT_TRUE(s.ReadAllBytes().empty());
        s.FreeBlock(); // twice is harmless
    }
    EXPECT_EQ(BlockLog::allocs, 2);
    EXPECT_EQ(BlockLog::frees, 2);
    EXPECT_EQ(BlockLog::live, 0);
}

TEST(ImageStream, GrowableModeIsAnEmptyStreamOwningItsBlock) {
    images::ImageStream s;
    IStream* stream = s.CreateFromBytes(Bytes{}, false);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(s.BlockSize(), 0u);
    const char text[] = "grows";
    ULONG written = 0;
    ASSERT_EQ(stream->Write(text, 5, &written), S_OK);
    EXPECT_EQ(written, 5u);
    ULARGE_INTEGER end{};
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_END, &end);
    EXPECT_EQ(end.QuadPart, 5u);
    HGLOBAL block = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream, &block), S_OK);
    EXPECT_EQ(block, s.Block());
    EXPECT_NE(GlobalLock(block), static_cast<void*>(block)) << "a movable block is a handle, not an address";
    GlobalUnlock(block);
    const std::vector<std::uint8_t> all = s.ReadAllBytes();
    ASSERT_GE(all.size(), 5u);
    EXPECT_EQ(std::memcmp(all.data(), text, 5), 0);
}

TEST(ImageStream, DestroyReleasesTheBlock) {
    LoggedBlocks log;
    {
        images::ImageStream s;
        ASSERT_NE(s.CreateFromBytes(images::ArtBytes(Art::CloseNormal), true), nullptr);
        EXPECT_EQ(BlockLog::live, 1);
    }
    EXPECT_EQ(BlockLog::live, 0);
}
