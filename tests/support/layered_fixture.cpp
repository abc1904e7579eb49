#include "tests/support/layered_fixture.h"

#include "skin/props.h"

#include <algorithm>
#include <cstdlib>

namespace layered_test {
namespace {

constexpr char kTopClass[] = "LayeredTestTop";

void RegisterTopClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kTopClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
}

} // namespace

TopWindow::TopWindow(int left, int top, int width, int height, bool visible) {
    RegisterTopClass();
    window_ = CreateWindowExA(0, kTopClass, "", WS_POPUP | (visible ? WS_VISIBLE : 0), left, top, width,
                              height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TopWindow::~TopWindow() {
    DestroyWindow(window_);
}

HWND MakeChild(HWND parent, const char* windowClass, int x, int y, int width, int height, int kind,
               const char* text) {
    HWND child = CreateWindowExA(0, windowClass, text, WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    skin::SetSkinProp(child, skin::kPropType, kind);
    return child;
}

skin::GpBitmapOwner SplitImage(int width, int height, Gdiplus::ARGB left, Gdiplus::ARGB right) {
    std::vector<Gdiplus::ARGB> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = x < width / 2 ? left : right;
    Gdiplus::GpBitmap* source = nullptr;
    gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(pixels.data()), &source);
    // A copy owns its pixels; the one made over the vector must not outlive it.
    Gdiplus::GpBitmap* copy = nullptr;
    gp::GdipCloneBitmapAreaI(0, 0, width, height, PixelFormat32bppARGB, source, &copy);
    gp::GdipDisposeImage(source);
    return skin::GpBitmapOwner(copy);
}

skin::GpBitmapOwner SolidImage(int width, int height, Gdiplus::ARGB colour) {
    return SplitImage(width, height, colour, colour);
}

void SetImageProp(HWND window, const char* key, Gdiplus::GpImage* image) {
    skin::SetSkinProp(window, key, reinterpret_cast<intptr_t>(image));
}

Gdiplus::ARGB PixelAt(Gdiplus::GpBitmap* frame, int x, int y) {
    Gdiplus::ARGB colour = 0;
    gp::GdipBitmapGetPixel(frame, x, y, &colour);
    return colour;
}

std::vector<std::uint32_t> FramePixels(Gdiplus::GpBitmap* frame) {
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(frame, &width);
    gp::GdipGetImageHeight(frame, &height);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    Gdiplus::BitmapData data{};
    data.Width = width;
    data.Height = height;
    data.Stride = static_cast<INT>(width * 4);
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = pixels.data();
    const Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    if (gp::GdipBitmapLockBits(frame, &whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                               PixelFormat32bppARGB, &data) == Gdiplus::Ok)
        gp::GdipBitmapUnlockBits(frame, &data);
    return pixels;
}

RECT BoundsOfColour(Gdiplus::GpBitmap* frame, const RECT& area, Gdiplus::ARGB colour) {
    RECT bounds{area.right, area.bottom, area.left, area.top};
    bool found = false;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (PixelAt(frame, x, y) == colour) {
                found = true;
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
    return found ? bounds : RECT{};
}

std::vector<std::uint32_t> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    skin::WindowDc screen(nullptr, skin::WindowDc::Client);
    skin::MemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    skin::BitmapOwner dib(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        skin::SelectGuard select(memory.get(), dib.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
        GdiFlush();
    }
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = source[i] & 0x00FFFFFF;
    return pixels;
}

std::uint32_t ScreenPixel(int x, int y) {
    return ScreenPixels(RECT{x, y, x + 1, y + 1})[0];
}

int ScreenMismatches(const RECT& area, Gdiplus::GpBitmap* frame) {
    const auto screen = ScreenPixels(area);
    const auto pixels = FramePixels(frame);
    if (screen.size() != pixels.size()) return static_cast<int>(std::max(screen.size(), pixels.size()));
    int mismatches = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t alpha = pixels[i] >> 24;
        for (int shift : {0, 8, 16}) {
            const int expected = static_cast<int>(((pixels[i] >> shift) & 0xFF) * alpha / 255.0 + 0.5);
            const int shown = static_cast<int>((screen[i] >> shift) & 0xFF);
            if (std::abs(expected - shown) > 1) {
                ++mismatches;
                break;
            }
        }
    }
    return mismatches;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        PumpMessages();
        Sleep(5);
    }
}

} // namespace layered_test
