// The embedded artwork, by name. The bytes live in the executable's resources for the whole process.
#pragma once
#include "images/decode.h"

namespace images {

enum class Art {
    TitleBackground,
    DoneBackground,
    RadioOnImage,
    RadioOffImage,
    ApplyNormal,
    ApplyHover,
    ApplyPressed,
    LogOffNormal,
    LogOffHover,
    LogOffPressed,
    CloseNormal,
    CloseHover,
    ClosePressed,
    StepBarImage,
    ProgressStrip,
};

Bytes ArtBytes(Art art);

} // namespace images
