#include "skin/caret.h"

#include "skin/painter.h"
#include "skin/window.h"

namespace skin {
namespace {

// The line stands this far right of the position the field reports.
constexpr double kCaretOffsetX = 5.0;
constexpr Gdiplus::REAL kCaretPenWidth = 1.0f;
constexpr std::uint32_t kCaretColour = 0x000000;
constexpr std::uint32_t kOpaque = 255;

} // namespace

CaretTracker& Caret() {
    // Never destroyed: its last frame must not be disposed after GDI+ has shut down at exit.
    static CaretTracker* tracker = new CaretTracker;
    return *tracker;
}

void CALLBACK CaretBlinkProc(HWND window, UINT, UINT_PTR timerId, DWORD) {
    if (timerId != kCaretTimerId) return;
    CaretTracker& caret = Caret();
    if (window != caret.host || !caret.child || !caret.lastFrame) return;
    caret.phase = 1 - (caret.phase & 1);
    PushFrame(caret.host, caret.lastFrame.get(), caret.phase != 0);
}

void DrawCaretLine(HWND host, HWND child, Gdiplus::GpGraphics* graphics) {
    RECT field{};
    GetWindowRect(child, &field);
    const int height = field.bottom - field.top;
    POINT corner{field.left, field.top};
    ScreenToClient(host, &corner);
    POINT caretPos{};
    GetCaretPos(&caretPos);

    // The line is centred in the field whatever height the field's caret has.
    const int x = static_cast<int>(corner.x + caretPos.x + kCaretOffsetX);
    const int y = static_cast<int>(corner.y + (height - kCaretHeight) / 2.0);

    Gdiplus::GpPen* pen = nullptr;
    gp::GdipCreatePen1(ColorToArgb(kCaretColour, kOpaque), kCaretPenWidth, Gdiplus::UnitWorld, &pen);
    GpPenOwner owner(pen);
    gp::GdipDrawLineI(graphics, pen, x, y, x, y + kCaretHeight);
}

} // namespace skin
