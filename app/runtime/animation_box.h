// The animation box: a child window that draws sprites over a background colour and steps each
// sprite through the frames of its picture on its own clock. Boxes are addressed by window handle;
// sprites by the number their box gave them.
#pragma once
#include "images/decode.h"

#include <windows.h>

#include <optional>

namespace app {

// What a sprite takes from its prototype unit: its size until it gets a picture, whose own size it
// then takes.
struct SpritePrototype {
    int width = 0;
    int height = 0;
};

// Creates the box as a child of parent. Its clock runs while the box is shown and a sprite animates.
HWND CreateAnimationBox(HWND parent, int left, int top, int width, int height, bool visible, bool tabStop);

// Adds a sprite at (x, y) of the box and returns its number, counting up from 1 in each box;
// 0 when box is not an animation box.
int CreateObject(HWND box, const SpritePrototype& prototype, int x, int y, bool visible = true,
                 const char* tag = "");

void SetObjectVisible(HWND box, int sprite, bool visible = true);

// Takes the sprite out of the box and frees its frames; its number is not given out again.
void RemoveObject(HWND box, int sprite);

// Decodes bytes (a GIF with all its frames and their delays, or any single picture GDI+ reads) into
// the sprite's picture, showing its first frame. Pixels of the transparent colour let the background
// through. Empty or unreadable bytes leave the sprite without a picture.
void SetObjectPicture(HWND box, int sprite, images::Bytes bytes,
                      std::optional<COLORREF> transparent = std::nullopt);

// Steps through the frames from the first: each stays for its own delay plus extraDelay
// milliseconds, the very first for firstDelay more; after the last comes the first again. With
// loops above 0 the sprite stops on its last frame after that many rounds.
void PlayObjectAnimation(HWND box, int sprite, int loops, int extraDelay = 0, int firstDelay = 0);

// The background colour, 0x00BBGGRR; a new box has the system's button-face colour.
void SetAnimationBoxColor(HWND box, COLORREF colour);
COLORREF AnimationBoxColor(HWND box); // CLR_INVALID when box is not an animation box

} // namespace app
