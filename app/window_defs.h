// The program's two windows, declared as data: window settings and their units in creation order
// (which is also the stacking order: the first unit is topmost among its siblings).
#pragma once
#include <windows.h>

#include <span>

namespace app {

using Handler = void (*)();

enum class UnitKind { PushButton, TimerUnit, TransparentLabel, AnimationBox, AnimationObject };
enum class TextAlign { Left, Centre, Right };
enum class VerticalAlign { Top, Centre, Bottom };
// None draws the text once; the others draw a copy beneath it (white one pixel right and down; white in
// place with the text moved one pixel right and down; black two pixels right and down).
enum class TextEffect { None, WhiteShadow, WhiteRaised, BlackShadow };

struct FontDefinition {
    const char* face; // nullptr: the system's default GUI font
    int height;       // negative: character height in pixels
};

struct LabelSettings {
    const char* text;
    COLORREF colour;
    FontDefinition font;
    TextEffect effect;
    TextAlign align;
    bool wordWrap;
    VerticalAlign vertical;
};

struct UnitDefinition {
    const char* name;
    UnitKind kind;
    int left, top, width, height;
    bool visible, disabled, tabStop;
    const char* caption = nullptr;        // push buttons: what screen readers say; the skin never draws it
    const LabelSettings* label = nullptr; // transparent labels
    Handler clicked = nullptr;            // push buttons
    Handler tick = nullptr;               // timers
};

struct WindowDefinition {
    const char* name;
    const char* title;
    int width, height;
    bool taskbarButton;
    bool dragAnywhere;
    int iconId; // 0: no icon
    Handler created, moved, resized;
    std::span<const UnitDefinition> units;
    // The units Tab visits, in order; empty: the tab-stop units in definition order.
    std::span<const char* const> tabOrder = {};
    // Units that act as one group of options: the arrow keys move among them and click the one they reach.
    std::span<const char* const> optionGroup = {};
};

extern const WindowDefinition kMainWindow;
extern const WindowDefinition kOverlayWindow;

// Unit names the handlers address.
namespace units {
inline constexpr char kOption150[] = "按钮3";
inline constexpr char kOption125[] = "按钮2";
inline constexpr char kOption100[] = "按钮1";
inline constexpr char kLogOff[] = "开始按钮_关闭";
inline constexpr char kTimer[] = "时钟_标准1";
inline constexpr char kClose[] = "按钮_关闭";
inline constexpr char kApply[] = "开始按钮_修复1";
inline constexpr char kWarning[] = "透明标签3";
inline constexpr char kVersion[] = "透明标签2";
inline constexpr char kSpareLabel[] = "透明标签1";
inline constexpr char kStripPrototype[] = "动画物体1";
inline constexpr char kStripBox[] = "动画框1";
} // namespace units

} // namespace app
