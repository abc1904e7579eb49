// An image button under the real pointer: xdotool moves and clicks on the X display, and screenshots
// of the whole display show which image the button has put on screen.
#include "skin/button.h"
#include "skin/props.h"
#include "tests/support/skin_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace skintest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr DWORD kPatienceMs = 5000;
constexpr DWORD kSurfaceFlushMs = 150; // Wine hands window pixels to X a little after drawing

// Starts a host program. Wine runs it outside the Windows process tree, so there is no handle to wait
// on: callers wait for its effect instead.
void RunHost(const std::string& shellCommand) {
    std::string line = "Z:\\bin\\sh -c \"" + shellCommand + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
}

// Keeps dispatching messages until done() holds or patience runs out.
bool WaitFor(const std::function<bool()>& done, DWORD patience = kPatienceMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > patience) return false;
        Pump();
        Sleep(10);
    }
    return true;
}

void Settle() {
    WaitFor([] { return false; }, kSurfaceFlushMs);
}

// The whole X display, taken by ImageMagick and read back through GDI+.
class Screenshot {
  public:
    Screenshot() {
        static int count = 0;
        std::string name = "/tmp/zen-skin-shot-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++count) + ".png";
        std::wstring windowsName = L"Z:" + std::wstring(name.begin(), name.end());
        DeleteFileW(windowsName.c_str());
        // Written under another name first, so a half-written file is never read.
        RunHost("import -window root png:" + name + ".part && mv " + name + ".part " + name);
        WaitFor([&] {
            Gdiplus::GpBitmap* raw = nullptr;
            if (gp::GdipCreateBitmapFromFile(windowsName.c_str(), &raw) == Gdiplus::Ok) image_.reset(raw);
            return static_cast<bool>(image_);
        });
        DeleteFileW(windowsName.c_str());
    }
    bool taken() const { return static_cast<bool>(image_); }
    COLORREF At(POINT screen) const {
        Gdiplus::ARGB argb = 0;
        gp::GdipBitmapGetPixel(image_.get(), screen.x, screen.y, &argb);
        return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    }

  private:
    skin::GpBitmapOwner image_;
};

} // namespace

TEST(SkinScreen, TheRealPointerHoversPressesAndClicksAnImageButton) {
    SetCursorPos(1300, 700);
    TestParent parent(100, 100, 300, 200);
    auto normal = SolidImage(80, 60, Opaque(kRed));
    auto hover = SolidImage(80, 60, Opaque(kGreen));
    auto pressed = SolidImage(80, 60, Opaque(kYellow));
    skin::SkinButton button;
    HWND window = button.Create(parent.get(), 20, 20, 80, 60, "Apply");
    ASSERT_NE(window, nullptr);
    button.SetImages(normal.get(), hover.get(), pressed.get());
    parent.PaintNow();
    auto state = [&] { return static_cast<int>(button.GetProperty(skin::kPropDrawState)); };
    const POINT face{160, 150}, background{110, 110};
    Settle();
    {
        Screenshot shot;
        ASSERT_TRUE(shot.taken());
        EXPECT_EQ(shot.At(face), kRed);
        EXPECT_EQ(shot.At(background), kParentColor);
    }

    RunHost("xdotool mousemove 160 150");
    ASSERT_TRUE(WaitFor([&] { return state() == skin::kStateHover; }));
    Settle();
    EXPECT_EQ(Screenshot().At(face), kGreen) << "hover";

    RunHost("xdotool mousedown 1");
    ASSERT_TRUE(WaitFor([&] { return state() == skin::kStatePressed; }));
    Settle();
    EXPECT_EQ(Screenshot().At(face), kYellow) << "pressed";

    RunHost("xdotool mouseup 1");
    ASSERT_TRUE(WaitFor([&] { return !parent.seen.commands.empty(); }));
    EXPECT_EQ(parent.seen.commands[0], std::make_pair(window, static_cast<int>(BN_CLICKED)));
    Settle();
    EXPECT_EQ(state(), skin::kStateHover);
    EXPECT_EQ(Screenshot().At(face), kGreen) << "released under the pointer";

    RunHost("xdotool mousemove 1300 700");
    ASSERT_TRUE(WaitFor([&] { return state() == skin::kStateNormal; })) << "leaving after a click";
    Settle();
    Screenshot last;
    EXPECT_EQ(last.At(face), kRed);
    EXPECT_EQ(last.At(background), kParentColor);
    EXPECT_EQ(parent.seen.commands.size(), 1u);
}
