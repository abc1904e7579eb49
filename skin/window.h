// A top-level window drawn as a per-pixel-alpha layered window: its whole face (background image and
// the faces of its skinned children) is composed off-screen and handed to the system in one piece.
#pragma once
#include "images/decode.h"
#include "skin/owners.h"

#include <optional>

namespace skin {

class SkinWindow {
  public:
    // Makes window layered and gives it the caret blink timer (once per window).
    bool Attach(HWND window);
    // Shows image as the background; the background it replaces is disposed.
    bool SetBackImage(Gdiplus::GpImage* image);
    bool SetBackImageData(images::Bytes bytes);
    // Hooks the skinned children not hooked yet and recomposes.
    void Refresh();
    // Omitted values keep the window's current ones.
    void SetBounds(std::optional<int> left = std::nullopt, std::optional<int> top = std::nullopt,
                   std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt,
                   bool noRedraw = false);
    HWND Handle() const { return window_; }
    bool IsAlive() const { return IsWindow(window_) != FALSE; }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return SendMessageA(window_, message, wParam, lParam);
    }

  private:
    HWND window_ = nullptr;
};

// Composes the window's face. With keep, returns the frame and pushes nothing. Without, pushes it unless
// it is byte-identical to the frame this function last pushed, then hands it to the caret tracker (when
// a text field of window has the focus) or releases it, and returns nothing. A window of zero width or
// height gives no frame.
GpBitmapOwner ComposeWindow(HWND window, bool keep);

// walk(window) unless no skin property of window or its children was written since the last walk, then
// ComposeWindow(window, false), with one look-up of the window's cache for both.
void ComposeAfterWalk(HWND window, void (*walk)(HWND window));

// The reference composition, every layer drawn afresh; ComposeWindow gives the same pixels faster.
GpBitmapOwner ComposeWindowAfresh(HWND window);

// Hands image to the system as window's face, with the caret line drawn on the copy when drawCaret.
// Returns whether the system took it.
bool PushFrame(HWND window, Gdiplus::GpImage* image, bool drawCaret);

// Told by the property store of every write (SetSkinProp, RemoveSkinProp): a write to window or to one of
// its children is what tells the unchanged-frame check that the face may have changed.
void NoteSkinWrite(HWND window, const char* key);

// How many frames have been handed to the system in this process.
long FramesPushed();

// When the first frame was handed to the system (system time, precise); zero before that.
FILETIME FirstPushTime();

} // namespace skin
