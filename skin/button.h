// The image button: a platform push button drawn from four state images laid over a snapshot of
// what the parent painted beneath it. The platform procedure keeps the button logic (capture, click,
// BN_CLICKED); ButtonProc sits in front of it, tracks the draw state and does all the painting.
#pragma once
#include "images/decode.h"
#include "skin/control.h"

#include <optional>

namespace skin {

class SkinButton : public SkinControl {
  public:
    // A new visible button, attached; 0 when the window cannot be created.
    HWND Create(HWND parent, int x, int y, int width, int height, const char* caption);
    bool Attach(HWND button) override { return Attach(button, nullptr); }
    // A normal image of 0 leaves the current one.
    virtual bool Attach(HWND button, images::ImageHandle normal);
    // Supplied images replace the stored ones (0 clears); omitted ones stay. Nothing is redrawn.
    void SetImages(std::optional<images::ImageHandle> normal = std::nullopt,
                   std::optional<images::ImageHandle> hover = std::nullopt,
                   std::optional<images::ImageHandle> pressed = std::nullopt,
                   std::optional<images::ImageHandle> disabled = std::nullopt) const;
    // As SetImages, decoding each supplied block first; bytes that are no image clear that state's image.
    void SetImagesData(std::optional<images::Bytes> normal = std::nullopt,
                       std::optional<images::Bytes> hover = std::nullopt,
                       std::optional<images::Bytes> pressed = std::nullopt,
                       std::optional<images::Bytes> disabled = std::nullopt) const;
    void SetBackType(int backType) const;
    // Makes the button one option of a group, the selected one when checked: accessibility clients then
    // see a radio button and its state. The face is the program's to change.
    void SetChecked(bool checked) const;
    // What accessibility clients are told of the button besides its name, such as what pressing it
    // will do; nullptr: nothing. Only the pointer is kept: text must live as long as the button.
    void SetDescription(const char* text) const;
};

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
// Stores the state and draws the face when it changed, or always when forced.
void SetDrawState(HWND button, int state, bool force);
// Follows BM_SETSTATE: pressed, else hover while focused, else normal; always redraws the face.
void SyncPushState(HWND button, bool pushed);

} // namespace skin
