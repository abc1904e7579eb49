// The wrapper the application holds for a skinned control: one window handle. Everything else about
// the control lives in its window properties, so copies of a SkinControl all see the same skin.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>

namespace skin {

class SkinControl {
  public:
    SkinControl() = default;
    virtual ~SkinControl() = default;
    SkinControl(const SkinControl&) = default;
    SkinControl& operator=(const SkinControl&) = default;

    // Binds to an existing child window and prepares it and its parent for transparent drawing.
    // Returns false, keeping the previous handle, when control is not a window.
    virtual bool Attach(HWND control);
    HWND Handle() const { return window_; }
    void SetProperty(const char* name, intptr_t value) const;
    intptr_t GetProperty(const char* name) const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Placement bit 0 clear centres the tip under the control; omitted means next to the pointer.
    void SetToolTip(const char* text, std::optional<int> placement = std::nullopt) const;
    // Position in the parent's client coordinates; omitted values keep the current ones.
    void SetBounds(std::optional<int> left = std::nullopt, std::optional<int> top = std::nullopt,
                   std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt,
                   bool noRedraw = false) const;
    bool IsAlive() const { return IsWindow(window_) != FALSE; }
    void Redraw() const { InvalidateRect(window_, nullptr, FALSE); }

  protected:
    HWND window_ = nullptr;
};

// The window's outer size; 0 by 0 for a window that is gone.
SIZE WindowSize(HWND window);

// Moves and sizes window in the coordinates it lives in (its parent's client area for a child, the screen
// for a top-level window); omitted values keep the current ones.
void SetWindowBounds(HWND window, std::optional<int> left, std::optional<int> top, std::optional<int> width,
                     std::optional<int> height, bool noRedraw);

} // namespace skin
