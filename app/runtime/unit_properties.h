// Reading and writing the numbered properties of loaded windows and their units, and moving them.
#pragma once
#include "app/window_defs.h"

#include <optional>
#include <string>

namespace app {

// Unit property numbers: 0 to 7 belong to every unit, 8 on depend on the kind.
enum UnitProperty : int {
    kPropLeft = 0,
    kPropTop = 1,
    kPropWidth = 2,
    kPropHeight = 3,
    kPropVisible = 5,
    kPropDisabled = 6,
    kPropInterval = 8,     // timer
    kPropText = 8,         // transparent label
    kPropBoxColour = 9,    // animation box
    kPropBackColour = 10,  // window
    kPropWindowState = 18, // window, read only
};

enum WindowState : int { kStateNormalWindow = 0, kStateMinimised = 2, kStateMaximised = 3 };

struct PropertyValue {
    PropertyValue(int value) : number(value) {}
    PropertyValue(const char* value) : text(value ? value : "") {}
    int number = 0;
    std::string text;
};

void MoveUnit(const WindowDefinition& window, const char* unit, int left, std::optional<int> top = {},
              std::optional<int> width = {}, std::optional<int> height = {});
// Rectangle and visibility written while the window is not loaded are kept for its next load; a kind's
// own property of such a window ends the program through FatalError.
void WriteUnitProperty(const WindowDefinition& window, const char* unit, int property, PropertyValue value);
int ReadUnitProperty(const WindowDefinition& window, const char* unit, int property);

constexpr int RgbColor(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

} // namespace app
