#include "tests/support/gif_writer.h"

#include <cstddef>

namespace testgif {

namespace {

constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kGraphicControl = 0xF9;
constexpr std::uint8_t kApplication = 0xFF;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGlobalTableFlag = 0x80;
constexpr std::uint8_t kDisposeNone = 1 << 2;
constexpr std::size_t kMaxSubBlock = 255;

void Put16(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Packs codes of a fixed width least significant bit first.
class BitPacker {
  public:
    explicit BitPacker(int width) : width_(width) {}
    void Put(int code) {
        accumulator_ |= static_cast<std::uint32_t>(code) << filled_;
        filled_ += width_;
        while (filled_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(accumulator_ & 0xFF));
            accumulator_ >>= 8;
            filled_ -= 8;
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (filled_ > 0) bytes_.push_back(static_cast<std::uint8_t>(accumulator_ & 0xFF));
        return std::move(bytes_);
    }

  private:
    int width_;
    std::uint32_t accumulator_ = 0;
    int filled_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// LZW without compression: a clear code before every two literals keeps the decoder's table so small
// that the code width never grows, whatever the decoder's growth rule.
std::vector<std::uint8_t> EncodePixels(const std::vector<std::uint8_t>& indices, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    BitPacker packer(minCodeSize + 1);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0) packer.Put(clear);
        packer.Put(indices[i]);
    }
    packer.Put(clear + 1);
    return packer.Finish();
}

} // namespace

std::vector<std::uint8_t> WriteGif(int width, int height, const std::vector<COLORREF>& palette,
                                   const std::vector<Frame>& frames, int loops) {
    int tableBits = 1;
    while ((1u << tableBits) < palette.size())
        ++tableBits;
    const int minCodeSize = tableBits < 2 ? 2 : tableBits;

    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, width);
    Put16(out, height);
    out.push_back(static_cast<std::uint8_t>(kGlobalTableFlag | (tableBits - 1)));
    out.push_back(0); // background colour index
    out.push_back(0); // pixel aspect ratio
    for (std::size_t i = 0; i < (1u << tableBits); ++i) {
        const COLORREF colour = i < palette.size() ? palette[i] : 0;
        out.push_back(GetRValue(colour));
        out.push_back(GetGValue(colour));
        out.push_back(GetBValue(colour));
    }

    const char netscape[] = "NETSCAPE2.0";
    out.insert(out.end(), {kExtension, kApplication, 11});
    out.insert(out.end(), netscape, netscape + 11);
    out.insert(out.end(), {3, 1});
    Put16(out, loops);
    out.push_back(0);

    for (const Frame& frame : frames) {
        out.insert(out.end(), {kExtension, kGraphicControl, 4, kDisposeNone});
        Put16(out, frame.delayCs);
        out.insert(out.end(), {0, 0}); // no transparent index, block end

        out.push_back(kImageSeparator);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, width);
        Put16(out, height);
        out.push_back(0); // no local table, not interlaced

        out.push_back(static_cast<std::uint8_t>(minCodeSize));
        const std::vector<std::uint8_t> data = EncodePixels(frame.indices, minCodeSize);
        for (std::size_t at = 0; at < data.size(); at += kMaxSubBlock) {
            const std::size_t size = data.size() - at < kMaxSubBlock ? data.size() - at : kMaxSubBlock;
            out.push_back(static_cast<std::uint8_t>(size));
            out.insert(out.end(), data.begin() + at, data.begin() + at + size);
        }
        out.push_back(0);
    }
    out.push_back(kTrailer);
    return out;
}

std::vector<std::uint8_t> SolidColourGif(int width, int height, const std::vector<COLORREF>& colours,
                                         const std::vector<int>& delaysCs) {
    std::vector<Frame> frames;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        Frame frame;
        frame.indices.assign(static_cast<std::size_t>(width) * height, static_cast<std::uint8_t>(i));
        frame.delayCs = i < delaysCs.size() ? delaysCs[i] : 0;
        frames.push_back(std::move(frame));
    }
    return WriteGif(width, height, colours, frames);
}

} // namespace testgif
