// DecodeImage: encoded bytes -> a GDI+ image that does not depend on the global block.
//
// GDI+ may decode lazily and read its stream long after GdipLoadImageFromStream returned (Windows' GDI+
// does), so the image loaded from the copied block is never handed out:
// - a single-frame picture (all the PNG artwork) is copied pixel for pixel into a bitmap that owns its
//   pixels (same size, pixel format and resolution), and the loaded image is disposed before the block
//   is released;
// - a picture with more than one frame in any dimension (ProgressStrip, a GIF of 4 frames) cannot be
//   copied into one bitmap without losing its frames, which the animation box selects with
//   GdipImageSelectActiveFrame. It is loaded a second time from a stream that owns its own copy of the
//   bytes (ImageStream in its copy = FALSE mode: delete-on-release TRUE). GDI+ holds that stream for as
//   long as the image lives, so the second block lives exactly as long as the image; the first block is
//   released at once and nothing reads it afterwards.
#include "images/decode.h"

#include "images/image_stream.h"

#include <cstring>
#include <vector>

namespace images {

namespace {

const GUID* g_timeDimension = nullptr;

void Dispose(Gdiplus::GpImage* image) {
    if (image) gp::GdipDisposeImage(image);
}

Gdiplus::PixelFormat CopyFormat(Gdiplus::GpImage* image) {
    Gdiplus::PixelFormat format = 0;
    gp::GdipGetImagePixelFormat(image, &format);
    switch (format) {
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB: return format;
    default: return PixelFormat32bppARGB;
    }
}

// A bitmap owning its pixels with the image's current frame; 0 on failure.
Gdiplus::GpImage* CopyToOwnedBitmap(Gdiplus::GpImage* image) {
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(image, &width);
    gp::GdipGetImageHeight(image, &height);
    if (width == 0 || height == 0) return nullptr;
    const Gdiplus::PixelFormat format = CopyFormat(image);
    Gdiplus::GpBitmap* copy = nullptr;
    if (gp::GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0, format, nullptr,
                                      &copy) != Gdiplus::Ok ||
        !copy)
        return nullptr;
    float dpiX = 0, dpiY = 0;
    if (gp::GdipGetImageHorizontalResolution(image, &dpiX) == Gdiplus::Ok &&
        gp::GdipGetImageVerticalResolution(image, &dpiY) == Gdiplus::Ok && dpiX > 0 && dpiY > 0)
        gp::GdipBitmapSetResolution(copy, dpiX, dpiY);

    const Gdiplus::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    gp::GdipGetImageType(image, &type);
    bool copied = false;
    if (type == Gdiplus::ImageTypeBitmap) {
        auto* source = static_cast<Gdiplus::GpBitmap*>(image);
        Gdiplus::BitmapData in{}, out{};
        if (gp::GdipBitmapLockBits(source, &rect, Gdiplus::ImageLockModeRead, format, &in) == Gdiplus::Ok) {
            if (gp::GdipBitmapLockBits(copy, &rect, Gdiplus::ImageLockModeWrite, format, &out) ==
                Gdiplus::Ok) {
                const std::size_t rowBytes = static_cast<std::size_t>(width) * ((format >> 8) & 0xFF) / 8;
                for (UINT y = 0; y < height; ++y)
                    std::memcpy(static_cast<BYTE*>(out.Scan0) + static_cast<std::ptrdiff_t>(y) * out.Stride,
                                static_cast<const BYTE*>(in.Scan0) +
                                    static_cast<std::ptrdiff_t>(y) * in.Stride,
                                rowBytes);
                gp::GdipBitmapUnlockBits(copy, &out);
                copied = true;
            }
            gp::GdipBitmapUnlockBits(source, &in);
        }
    }
    if (!copied) { // a metafile, or a bitmap GDI+ cannot lock: draw it instead
        Gdiplus::GpGraphics* graphics = nullptr;
        if (gp::GdipGetImageGraphicsContext(copy, &graphics) == Gdiplus::Ok && graphics) {
            gp::GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceCopy);
            copied = gp::GdipDrawImageRectI(graphics, image, 0, 0, static_cast<INT>(width),
                                            static_cast<INT>(height)) == Gdiplus::Ok;
            gp::GdipDeleteGraphics(graphics);
        }
    }
    if (!copied) {
        Dispose(copy);
        return nullptr;
    }
    return copy;
}

// The multi-frame picture loaded again from a stream that owns its own copy of the bytes; 0 on failure.
Gdiplus::GpImage* LoadWithOwnBlock(Bytes bytes) {
    ImageStream owned;
    IStream* stream = owned.CreateFromBytes({}, false);
    if (!stream) return nullptr;
    ULONG written = 0;
    if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) ||
        written != bytes.size())
        return nullptr;
    LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return nullptr;
    Gdiplus::GpImage* image = nullptr;
    if (gp::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok) return nullptr;
    gp::GdipImageSelectActiveFrame(image, g_timeDimension, 0);
    return image; // ~ImageStream drops our reference; the image keeps the stream and with it the block
}

// The image handed out for what GdipLoadImageFromStream produced from the copied block.
Gdiplus::GpImage* Independent(Gdiplus::GpImage* loaded, Bytes bytes) {
    if (!loaded) return nullptr;
    Gdiplus::GpImage* result = HasSeveralFrames(loaded) ? LoadWithOwnBlock(bytes) : CopyToOwnedBitmap(loaded);
    Dispose(loaded);
    return result;
}

} // namespace

bool HasSeveralFrames(ImageHandle image) {
    UINT dimensions = 0;
    if (!image || gp::GdipImageGetFrameDimensionsCount(image, &dimensions) != Gdiplus::Ok || dimensions == 0)
        return false;
    std::vector<GUID> ids(dimensions);
    if (gp::GdipImageGetFrameDimensionsList(image, ids.data(), dimensions) != Gdiplus::Ok) return false;
    for (const GUID& id : ids) {
        UINT frames = 0;
        if (gp::GdipImageGetFrameCount(image, &id, &frames) == Gdiplus::Ok && frames > 1) return true;
    }
    return false;
}

void SetTimeDimension(const GUID* dimension) {
    g_timeDimension = dimension;
}

ImageHandle DecodeImage(Bytes bytes) {
    ImageStream wrapper;
    wrapper.CreateFromBytes(bytes, true);
    IStream* stream = wrapper.GetStream();
    if (!stream) return nullptr;
    Gdiplus::GpImage* loaded = nullptr;
    if (gp::GdipLoadImageFromStream(stream, &loaded) != Gdiplus::Ok) loaded = nullptr;
    gp::GdipImageSelectActiveFrame(loaded, g_timeDimension, 0);
    ImageHandle image = Independent(loaded, bytes);
    wrapper.FreeBlock();
    return image;
}

} // namespace images
