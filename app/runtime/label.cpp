#include "app/runtime/label.h"

#include "app/runtime/unit_state.h"
#include "skin/owners.h"
#include "skin/words.h"

namespace app {
namespace {

constexpr char kLabelClass[] = "ZentriloTransparentLabel";

struct LabelState {
    const LabelSettings* settings;
    HFONT font;
};

UINT LayoutFlags(const LabelSettings& s) {
    UINT flags = DT_NOCLIP | DT_NOPREFIX;
    flags |= s.align == TextAlign::Centre ? DT_CENTER : s.align == TextAlign::Right ? DT_RIGHT : DT_LEFT;
    if (s.wordWrap) return flags | DT_WORDBREAK;
    flags |= DT_SINGLELINE;
    return flags | (s.vertical == VerticalAlign::Centre   ? DT_VCENTER
                    : s.vertical == VerticalAlign::Bottom ? DT_BOTTOM
                                                          : DT_TOP);
}

void DrawLabelText(HDC dc, const std::wstring& text, RECT rect, UINT flags, COLORREF colour, int dx = 0,
                   int dy = 0) {
    OffsetRect(&rect, dx, dy);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

void PaintLabel(HWND label) {
    skin::PaintDc paint(label);
    const LabelState* state = UnitState<LabelState>(label);
    const std::wstring text = skin::WindowWords(label);
    if (!state || text.empty()) return;
    const LabelSettings& s = *state->settings;
    HFONT font = state->font ? state->font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    skin::SelectGuard selectFont(paint.get(), font);
    SetBkMode(paint.get(), TRANSPARENT);
    RECT rect;
    GetClientRect(label, &rect);
    const UINT flags = LayoutFlags(s);
    constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
    switch (s.effect) {
    case TextEffect::None: DrawLabelText(paint.get(), text, rect, flags, s.colour); break;
    case TextEffect::WhiteShadow:
        DrawLabelText(paint.get(), text, rect, flags, kWhite, 1, 1);
        DrawLabelText(paint.get(), text, rect, flags, s.colour);
        break;
    case TextEffect::WhiteRaised:
        DrawLabelText(paint.get(), text, rect, flags, kWhite);
        DrawLabelText(paint.get(), text, rect, flags, s.colour, 1, 1);
        break;
    case TextEffect::BlackShadow:
        DrawLabelText(paint.get(), text, rect, flags, kBlack, 2, 2);
        DrawLabelText(paint.get(), text, rect, flags, s.colour);
        break;
    }
}

LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepUnitState<LabelState>(label, message, lParam);
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: PaintLabel(label); return 0;
    }
    return DefWindowProcA(label, message, wParam, lParam);
}

// The top-level window repaints the area under the label, then every descendant there, the label last
// among them since it lies on top.
void RepaintBeneath(HWND label) {
    HWND top = GetAncestor(label, GA_ROOT);
    RECT rect;
    GetWindowRect(label, &rect);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(top, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

} // namespace

HWND CreateTransparentLabel(HWND parent, const UnitDefinition& unit, HFONT font) {
    static const ATOM atom = RegisterUnitClass(kLabelClass, LabelProc);
    (void)atom;
    auto* state = new LabelState{unit.label, font};
    HWND label = CreateWindowExA(WS_EX_TRANSPARENT, kLabelClass, nullptr, WS_CHILD, unit.left, unit.top,
                                 unit.width, unit.height, parent, nullptr, GetModuleHandleA(nullptr), state);
    if (label)
        skin::SetWindowWords(label, unit.label->text);
    else
        delete state;
    return label;
}

void SetLabelText(HWND label, const char* text) {
    // The label has no background: the new text is only drawn once the old one has been painted over.
    skin::SetWindowWords(label, text);
    RepaintBeneath(label);
}

void SetLabelVisible(HWND label, bool visible) {
    ShowWindow(label, visible ? SW_SHOWNA : SW_HIDE);
    RepaintBeneath(label);
}

} // namespace app
