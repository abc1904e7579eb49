// A tiny GIF89a writer for tests: full-size frames over one global colour table, each with its own
// delay, so that a test knows exactly which colour every frame shows and for how long.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace testgif {

struct Frame {
    std::vector<std::uint8_t> indices; // width * height palette indices, row by row
    int delayCs = 0;                   // hundredths of a second
};

// palette holds 1 to 256 colours; loops is the animation's repeat count (0 endless).
std::vector<std::uint8_t> WriteGif(int width, int height, const std::vector<COLORREF>& palette,
                                   const std::vector<Frame>& frames, int loops = 0);

// One frame per palette colour, each filled with its colour and shown for its delay.
std::vector<std::uint8_t> SolidColourGif(int width, int height, const std::vector<COLORREF>& colours,
                                         const std::vector<int>& delaysCs);

} // namespace testgif
