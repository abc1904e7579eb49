// Loading windows from their definitions, and reaching them and their units by name.
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

// The private message that CloseWindowAsync posts; the window destroys itself when it arrives.
inline constexpr UINT kWindowCloseRequest = 0x8065;

struct PropertyValue {
    PropertyValue(int value) : number(value) {}
    PropertyValue(const char* value) : text(value ? value : "") {}
    int number = 0;
    std::string text;
};

// Creates the window and its units and fires created, moved and resized; a window that is already
// loaded is only restored or activated. Returns whether the window exists afterwards.
bool LoadWindow(const WindowDefinition& window, HWND owner = nullptr);
bool IsCreated(const WindowDefinition& window, const char* unit = nullptr);
// The handle of a loaded window or unit; ends the program through FatalError when it is not there.
HWND UnitHandle(const WindowDefinition& window, const char* unit = nullptr);
void MoveUnit(const WindowDefinition& window, const char* unit, int left, std::optional<int> top = {},
              std::optional<int> width = {}, std::optional<int> height = {});
void WriteUnitProperty(const WindowDefinition& window, const char* unit, int property, PropertyValue value);
int ReadUnitProperty(const WindowDefinition& window, const char* unit, int property);
void RedrawNow(const WindowDefinition& window);
// Puts the loaded windows that owner owns back on top of it. The system keeps owned windows above their
// owner, but under Wine a window's X surface can rise above them: when it first becomes layered, and
// when the focus moves into it (the message loop restacks after every focus change).
void RaiseOwnedWindows(HWND owner);
void CloseWindowAsync(const WindowDefinition& window);

constexpr int RgbColor(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

// Runs the message loop until WM_QUIT, which is posted once no loaded window is left.
int RunMessageLoop();

} // namespace app
