#include "tests/support/skin_fixture.h"

namespace skintest {
namespace {

constexpr char kParentClass[] = "ZentriloSkinTestParent";

ATOM RegisterParentClass(WNDPROC proc) {
    static ATOM atom = [proc] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.lpszClassName = kParentClass;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        return RegisterClassA(&wc);
    }();
    return atom;
}

} // namespace

TestParent::TestParent(int x, int y, int width, int height) {
    RegisterParentClass(Proc);
    window_ = CreateWindowExA(0, kParentClass, "", WS_POPUP | WS_CLIPCHILDREN, x, y, width, height, nullptr,
                              nullptr, nullptr, this);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    PaintNow();
}

TestParent::~TestParent() {
    DestroyWindow(window_);
    Pump();
}

void TestParent::SetBands(std::vector<Band> bands) {
    bands_ = std::move(bands);
    InvalidateRect(window_, nullptr, FALSE);
}

void TestParent::PaintNow() const {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TestParent::Paint(HDC dc) const {
    RECT client{};
    GetClientRect(window_, &client);
    for (size_t i = 0; i < bands_.size(); ++i) {
        RECT band{bands_[i].left, 0, i + 1 < bands_.size() ? bands_[i + 1].left : client.right,
                  client.bottom};
        skin::BrushOwner brush(CreateSolidBrush(bands_[i].color));
        FillRect(dc, &band, brush.get());
    }
}

LRESULT CALLBACK TestParent::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<TestParent*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        skin::PaintDc paint(window);
        self->Paint(paint.get());
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_COMMAND:
        self->seen.commands.emplace_back(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        if (self->onCommand) self->onCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: ++self->seen.notifies; return 0;
    case WM_STYLECHANGED: ++self->seen.styleChanges; return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: return kParentColorAnswer;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

COLORREF PixelAt(HWND window, int x, int y) {
    skin::WindowDc dc(window);
    return GetPixel(dc.get(), x, y);
}

void Scribble(HWND window, COLORREF marker) {
    skin::WindowDc dc(window);
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT all{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    skin::BrushOwner brush(CreateSolidBrush(marker));
    FillRect(dc.get(), &all, brush.get());
}

skin::GpBitmapOwner MakeImage(int width, int height, const std::function<Gdiplus::ARGB(int x, int y)>& argb) {
    Gdiplus::GpBitmap* raw = nullptr;
    gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &raw);
    skin::GpBitmapOwner image(raw);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            gp::GdipBitmapSetPixel(image.get(), x, y, argb(x, y));
    return image;
}

skin::GpBitmapOwner SolidImage(int width, int height, Gdiplus::ARGB argb) {
    return MakeImage(width, height, [argb](int, int) { return argb; });
}

} // namespace skintest
