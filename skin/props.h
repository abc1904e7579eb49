// The property store of skinned controls: every piece of a control's skin lives in window properties of
// the control itself, so any code holding a window handle can read or change its look.
#pragma once
#include <windows.h>

#include <cstdint>

namespace skin {

// Property keys. The spellings are what other code reads by name ("IsFoucs" included).
inline constexpr char kPropType[] = "PngControl_Type";
inline constexpr char kPropWndProc[] = "PngControl_WndProc";
inline constexpr char kPropChildWndProc[] = "PngControl_ChildWndProc";
inline constexpr char kPropNormalImage[] = "PngControl_NormalImage";
inline constexpr char kPropOverImage[] = "PngControl_OverlImage";
inline constexpr char kPropDownImage[] = "PngControl_DownImage";
inline constexpr char kPropDisableImage[] = "PngControl_DisableImage";
inline constexpr char kPropBackImage[] = "PngControl_BackImage";
inline constexpr char kPropBackType[] = "PngControl_BackType";
inline constexpr char kPropTextColor[] = "PngControl_TextColor";
inline constexpr char kPropIsFocus[] = "PngControl_IsFoucs";
inline constexpr char kPropCacheBitmap[] = "PngControl_CacheBitmap";
inline constexpr char kPropTime[] = "PngControl_Time";
inline constexpr char kPropBackColor[] = "PngControl_BackColor";
inline constexpr char kPropBackAlpha[] = "PngControl_BackAlpha";
inline constexpr char kPropOrderColor[] = "PngControl_OrderColor";
inline constexpr char kPropOrderAlpha[] = "PngControl_OrderAlpha";
inline constexpr char kPropDrawState[] = "Tivra_DrawState";
inline constexpr char kPropToolTips[] = "Tivra_ToolTips";
inline constexpr char kPropOption[] = "Tivra_Option";           // 1: the button is one option of a group
inline constexpr char kPropChecked[] = "Tivra_Checked";         // 1: that option is the selected one
inline constexpr char kPropFocusCues[] = "Tivra_FocusCues";     // on a window: 1 when it shows focus cues
inline constexpr char kPropDescription[] = "Tivra_Description"; // text screen readers add to the name

// Control kind codes stored under kPropType.
enum ControlKind : int { kKindNone = 0, kKindPicture = 2, kKindButton = 3, kKindTextField = 4 };

// Draw states stored under kPropDrawState.
enum DrawState : int { kStateNormal = 0, kStateHover = 1, kStatePressed = 2, kStateDisabled = 3 };

// Property values are pointer-sized (image handles and procedures are pointers on x86_64);
// a missing property reads as 0.
inline intptr_t GetSkinProp(HWND window, const char* key) {
    return reinterpret_cast<intptr_t>(GetPropA(window, key));
}
// Every write is told to the compositor (NoteSkinWrite), a removal and the same value again included (an
// image may have been replaced by another at the same address): a skin changes only through these writes.
void SetSkinProp(HWND window, const char* key, intptr_t value);
void RemoveSkinProp(HWND window, const char* key);
inline int Kind(HWND window) {
    return static_cast<int>(GetSkinProp(window, kPropType));
}
inline int GetDrawStateProp(HWND window) {
    return static_cast<int>(GetSkinProp(window, kPropDrawState));
}

// Hooks proc onto window once: a window that already carries kPropWndProc keeps its first hook.
void Subclass(HWND window, WNDPROC proc);
// Calls the procedure saved under kPropWndProc.
LRESULT CallOldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Clears and sets style bits; returns false, writing nothing, when nothing changes.
bool ModifyStyle(HWND window, LONG_PTR clear, LONG_PTR set, UINT extraFlags = 0);
bool ModifyExStyle(HWND window, LONG_PTR clear, LONG_PTR set, UINT extraFlags = 0);
// Has the parent repaint what lies under the control, then the control itself.
void RefreshThroughParent(HWND control);
// The procedure hooked onto the parents of skinned controls.
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace skin
