// Turning encoded image bytes (PNG, GIF) into GDI+ image handles.
#pragma once
#include "images/gdiplus.h"

#include <cstdint>
#include <span>

namespace images {

using ImageHandle = Gdiplus::GpImage*;
using Bytes = std::span<const std::uint8_t>;

// Decodes from memory; 0 for empty, truncated or unreadable bytes. The caller owns the image.
ImageHandle DecodeImage(Bytes bytes);

// True when some frame dimension of the image (time, page) has more than one frame: an animation can show
// another frame without anything else changing.
bool HasSeveralFrames(ImageHandle image);

// The frame-dimension identifier DecodeImage selects frame 0 of; filled once at start-up.
void SetTimeDimension(const GUID* dimension);

} // namespace images
