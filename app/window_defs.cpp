#include "app/window_defs.h"

#include "app/handlers.h"
#include "app/version.h"
#include "images/resource_ids.h"

namespace app {
namespace {

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 540;
constexpr char kYaHei[] = "微软雅黑";
constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kSilver = 0x00C0C0C0;

constexpr LabelSettings kWarningLabel{"透明标签3",     kWhite, {kYaHei, -19},        TextEffect::None,
                                      TextAlign::Left, false,  VerticalAlign::Centre};
constexpr LabelSettings kVersionLabel{
    "版本号：V" ZEN_VERSION_TEXT, kSilver, {kYaHei, -10}, TextEffect::None, TextAlign::Left, false,
    VerticalAlign::Centre};
constexpr LabelSettings kSpareLabel{
    "", kWhite, {kYaHei, -16}, TextEffect::None, TextAlign::Left, false, VerticalAlign::Centre};

// name, kind, left, top, width, height, visible, disabled, tab stop, caption, label, clicked, tick
constexpr UnitDefinition kMainUnits[] = {
    {units::kOption150, UnitKind::PushButton, 83, 462, 160, 32, true, false, true, "较大-150%", nullptr,
     OnOption150},
    {units::kOption125, UnitKind::PushButton, 83, 422, 160, 32, true, false, true, "中等-125%", nullptr,
     OnOption125},
    {units::kOption100, UnitKind::PushButton, 83, 380, 160, 32, true, false, true, "正常-100% (默认)",
     nullptr, OnOption100},
    // Log off is hidden until Apply offers it: nothing is drawn there, and nothing is there for screen
    // readers either.
    {units::kLogOff, UnitKind::PushButton, 488, 373, 160, 52, false, false, true, "注销", nullptr, OnLogOff},
    {units::kTimer, UnitKind::TimerUnit, 312, 16, 26, 26, false, false, false, nullptr, nullptr, nullptr,
     OnTimerTick},
    {units::kClose, UnitKind::PushButton, 757, 18, 18, 18, true, false, true, "关闭", nullptr,
     OnCloseClicked},
    {units::kApply, UnitKind::PushButton, 488, 448, 160, 52, true, false, true, "应用", nullptr,
     OnApplyClicked},
};

// Tab follows the reading order of the face, which the stacking order above does not: the options top
// to bottom, Apply (or Log off in its place), then the close button.
constexpr const char* kMainTabOrder[] = {units::kOption100, units::kOption125, units::kOption150,
                                         units::kApply,     units::kLogOff,    units::kClose};
constexpr const char* kScaleOptions[] = {units::kOption100, units::kOption125, units::kOption150};

constexpr UnitDefinition kOverlayUnits[] = {
    {units::kWarning, UnitKind::TransparentLabel, 368, 400, 424, 40, true, false, false, nullptr,
     &kWarningLabel},
    {units::kVersion, UnitKind::TransparentLabel, 701, 493, 89, 32, true, false, false, nullptr,
     &kVersionLabel},
    // The spare label has no text and lies below the window's edge: hidden, it is not reported on screen.
    {units::kSpareLabel, UnitKind::TransparentLabel, 432, 559, 392, 32, false, false, false, nullptr,
     &kSpareLabel},
    {units::kStripPrototype, UnitKind::AnimationObject, 424, 16, 40, 32, false, false, false},
    {units::kStripBox, UnitKind::AnimationBox, 480, 16, 32, 32, false, false, true},
};

} // namespace

// name, title, width, height, taskbar button, drag anywhere, icon, created, moved, resized, units, tab
// order, option group
const WindowDefinition kMainWindow{"MainWindow", "Zentrilo",      kWindowWidth,    kWindowHeight,    true,
                                   true,         ZEN_ICON_WINDOW, SetUpMainWindow, FollowMainWindow, nullptr,
                                   kMainUnits,   kMainTabOrder,   kScaleOptions};

const WindowDefinition kOverlayWindow{"OverlayWindow", "",      kWindowWidth, kWindowHeight, false, false, 0,
                                      KeyOverlay,      nullptr, nullptr,      kOverlayUnits};

} // namespace app
