// Animation boxes in real windows: frames at their own delays, loop counts, the background colour,
// visibility, clipping, calls from another thread, and no GDI or GDI+ object left behind.
#include "app/runtime/animation_box.h"

#include "skin/owners.h"
#include "tests/support/gif_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kStripGrey = RGB(246, 246, 246);
constexpr COLORREF kHostColour = RGB(0, 0, 0);
constexpr int kHostLeft = 40, kHostTop = 40, kHostWidth = 300, kHostHeight = 120;
constexpr int kBoxLeft = 20, kBoxTop = 30, kBoxWidth = 200, kBoxHeight = 40;
constexpr int kSpriteSize = 20;
// A change is never early, but for the tick count's granularity. It may come late by a clock period plus
// however long a loaded machine keeps the test from running (65 ms seen with both suites and two busy
// loops on two cores); a frame held a whole frame too long is still caught.
constexpr int kEarlyMs = 8;
constexpr int kLateMs = 100;

std::vector<std::uint8_t> FourColourGif(const std::vector<int>& delaysCs) {
    return testgif::SolidColourGif(kSpriteSize, kSpriteSize, {kRed, kGreen, kBlue, kYellow}, delaysCs);
}

void Pump(DWORD forMs) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < forMs);
}

struct Shown {
    COLORREF colour;
    DWORD at; // ms after watching began, taken once the colour was seen
};

class AnimationBoxTest : public testing::Test {
  protected:
    // One host for the whole suite: under Wine without a window manager, hiding or destroying a
    // top-level window waits about 2 s for the manager to answer.
    static void SetUpTestSuite() {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "AnimationBoxTestHost";
        RegisterClassExA(&wc);
        host_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                kHostLeft, kHostTop, kHostWidth, kHostHeight, nullptr, nullptr, wc.hInstance,
                                nullptr);
    }

    static void TearDownTestSuite() { DestroyWindow(host_); }

    void SetUp() override {
        ASSERT_NE(host_, nullptr);
        box_ = app::CreateAnimationBox(host_, kBoxLeft, kBoxTop, kBoxWidth, kBoxHeight, true, false);
        ASSERT_NE(box_, nullptr);
        Pump(20);
    }

    void TearDown() override {
        if (box_) DestroyWindow(box_);
    }

    // The colour on screen at a point of the box (box coordinates may lie outside it).
    COLORREF BoxPixel(int x, int y) const {
        UpdateWindow(box_);
        HDC dc = GetDC(host_);
        const COLORREF colour = GetPixel(dc, kBoxLeft + x, kBoxTop + y);
        ReleaseDC(host_, dc);
        return colour;
    }

    // Pumps messages for forMs and records every change of the colour at a point of the box.
    std::vector<Shown> Watch(int x, int y, DWORD forMs) const {
        std::vector<Shown> seen;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < forMs) {
            Pump(0);
            const COLORREF colour = BoxPixel(x, y);
            if (seen.empty() || seen.back().colour != colour)
                seen.push_back({colour, GetTickCount() - start});
        }
        return seen;
    }

    int SpriteWithPicture(const std::vector<std::uint8_t>& gif, int x = 0, int y = 0) const {
        const int sprite = app::CreateObject(box_, {kSpriteSize, kSpriteSize}, x, y);
        app::SetObjectPicture(box_, sprite, gif);
        return sprite;
    }

    static inline HWND host_ = nullptr;
    HWND box_ = nullptr;
};

struct Frame {
    COLORREF colour;
    int holdMs;
};

// The box keeps its schedule: a frame shown late is made up by a shorter next one. So each change is
// checked against its time from the start of play, not against the change before it.
void ExpectPlayed(const std::vector<Shown>& seen, const std::vector<Frame>& frames) {
    ASSERT_GT(seen.size(), frames.size());
    int due = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(seen[i].colour, frames[i].colour) << "frame " << i;
        due += frames[i].holdMs;
        const int at = static_cast<int>(seen[i + 1].at);
        EXPECT_GE(at, due - kEarlyMs) << "end of frame " << i;
        EXPECT_LE(at, due + kLateMs) << "end of frame " << i;
    }
}

TEST_F(AnimationBoxTest, PlaysEachFrameForItsOwnDelayThenStartsOver) {
    const int sprite = SpriteWithPicture(FourColourGif({10, 20, 30, 15}));
    app::PlayObjectAnimation(box_, sprite, 0);
    const std::vector<Shown> seen = Watch(5, 5, 1000);
    ASSERT_GE(seen.size(), 6u);
    ExpectPlayed(seen, {{kRed, 100}, {kGreen, 200}, {kBlue, 300}, {kYellow, 150}});
    EXPECT_EQ(seen[4].colour, kRed);
    EXPECT_EQ(seen[5].colour, kGreen);
}

TEST_F(AnimationBoxTest, LoopCountOneStopsOnTheLastFrame) {
    const int sprite = SpriteWithPicture(FourColourGif({5, 5, 5, 5}));
    app::PlayObjectAnimation(box_, sprite, 1);
    const std::vector<Shown> seen = Watch(5, 5, 600);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].colour, kRed);
    EXPECT_EQ(seen[1].colour, kGreen);
    EXPECT_EQ(seen[2].colour, kBlue);
    EXPECT_EQ(seen[3].colour, kYellow);
}

TEST_F(AnimationBoxTest, ExtraDelaysLengthenEveryFrameAndTheFirstOnce) {
    const int sprite = SpriteWithPicture(FourColourGif({5, 5, 5, 5}));
    app::PlayObjectAnimation(box_, sprite, 0, 100, 150);
    const std::vector<Shown> seen = Watch(5, 5, 900 + kLateMs + 50);
    ExpectPlayed(seen, {{kRed, 300}, {kGreen, 150}, {kBlue, 150}, {kYellow, 150}, {kRed, 150}});
}

int g_paints = 0;
WNDPROC g_boxProc = nullptr;

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++g_paints;
    return CallWindowProcA(g_boxProc, window, message, wParam, lParam);
}

TEST_F(AnimationBoxTest, RepaintsOnlyWhenAFrameChanges) {
    g_paints = 0;
    g_boxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaints)));
    const int sprite = SpriteWithPicture(FourColourGif({25, 25, 25, 25}));
    app::PlayObjectAnimation(box_, sprite, 0);
    Pump(1000);
    EXPECT_GE(g_paints, 3);
    EXPECT_LE(g_paints, 6); // four frame changes, the start of play, perhaps one straggler
}

TEST_F(AnimationBoxTest, FillsTheBoxWithItsBackgroundColour) {
    EXPECT_EQ(app::AnimationBoxColor(box_), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(BoxPixel(100, 20), GetSysColor(COLOR_BTNFACE));

    app::SetAnimationBoxColor(box_, kStripGrey);
    EXPECT_EQ(app::AnimationBoxColor(box_), kStripGrey);
    EXPECT_EQ(BoxPixel(0, 0), kStripGrey);
    EXPECT_EQ(BoxPixel(kBoxWidth - 1, kBoxHeight - 1), kStripGrey);

    const int sprite = SpriteWithPicture(FourColourGif({10, 10, 10, 10}), 50, 10);
    app::PlayObjectAnimation(box_, sprite, 0);
    Pump(30);
    EXPECT_EQ(BoxPixel(49, 10), kStripGrey);
    EXPECT_EQ(BoxPixel(50 + kSpriteSize, 10), kStripGrey);
    EXPECT_EQ(BoxPixel(50, 10), kRed);
}

TEST_F(AnimationBoxTest, HiddenSpritesAreNotDrawn) {
    const int sprite = app::CreateObject(box_, {kSpriteSize, kSpriteSize}, 10, 10, false);
    app::SetObjectPicture(box_, sprite, FourColourGif({10, 10, 10, 10}));
    Pump(30);
    EXPECT_EQ(BoxPixel(15, 15), GetSysColor(COLOR_BTNFACE));

    app::SetObjectVisible(box_, sprite);
    EXPECT_EQ(BoxPixel(15, 15), kRed);

    app::SetObjectVisible(box_, sprite, false);
    EXPECT_EQ(BoxPixel(15, 15), GetSysColor(COLOR_BTNFACE));
}

TEST_F(AnimationBoxTest, SpritesAreClippedToTheBoxAndDrawnInCreationOrder) {
    const std::vector<std::uint8_t> red = testgif::SolidColourGif(40, 40, {kRed}, {0});
    const std::vector<std::uint8_t> blue = testgif::SolidColourGif(40, 40, {kBlue}, {0});
    const int first = app::CreateObject(box_, {}, kBoxWidth - 20, -10);
    app::SetObjectPicture(box_, first, red);
    const int second = app::CreateObject(box_, {}, kBoxWidth - 10, -10);
    app::SetObjectPicture(box_, second, blue);
    Pump(30);

    EXPECT_EQ(BoxPixel(kBoxWidth - 20, 0), kRed);
    EXPECT_EQ(BoxPixel(kBoxWidth - 1, 0), kBlue);
    EXPECT_EQ(BoxPixel(kBoxWidth - 1, kBoxHeight - 11), kBlue);
    EXPECT_EQ(BoxPixel(kBoxWidth - 1, kBoxHeight - 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(BoxPixel(kBoxWidth, 0), kHostColour);
    EXPECT_EQ(BoxPixel(kBoxWidth - 5, -1), kHostColour);
}

TEST_F(AnimationBoxTest, TransparentColourLetsTheBackgroundThrough) {
    testgif::Frame halves;
    for (int y = 0; y < kSpriteSize; ++y)
        for (int x = 0; x < kSpriteSize; ++x)
            halves.indices.push_back(x < kSpriteSize / 2 ? 0 : 1);
    const auto gif = testgif::WriteGif(kSpriteSize, kSpriteSize, {kRed, kBlue}, {halves});
    const int sprite = app::CreateObject(box_, {}, 0, 0);
    app::SetObjectPicture(box_, sprite, gif, kBlue);
    app::SetAnimationBoxColor(box_, kStripGrey);
    Pump(30);
    EXPECT_EQ(BoxPixel(2, 2), kRed);
    EXPECT_EQ(BoxPixel(kSpriteSize - 2, 2), kStripGrey);
}

TEST_F(AnimationBoxTest, EmptyOrUnreadableBytesLeaveNoPicture) {
    const int sprite = SpriteWithPicture(FourColourGif({10, 10, 10, 10}));
    Pump(30);
    ASSERT_EQ(BoxPixel(5, 5), kRed);

    const std::uint8_t garbage[] = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
    app::SetObjectPicture(box_, sprite, garbage);
    EXPECT_EQ(BoxPixel(5, 5), GetSysColor(COLOR_BTNFACE));

    app::SetObjectPicture(box_, sprite, FourColourGif({10, 10, 10, 10}));
    app::SetObjectPicture(box_, sprite, {});
    EXPECT_EQ(BoxPixel(5, 5), GetSysColor(COLOR_BTNFACE));
    app::PlayObjectAnimation(box_, sprite, 0);
    Pump(30);
}

TEST_F(AnimationBoxTest, SpriteNumbersCountUpInEachBox) {
    EXPECT_EQ(app::CreateObject(box_, {}, 0, 0), 1);
    EXPECT_EQ(app::CreateObject(box_, {}, 0, 0, false, "second"), 2);
    EXPECT_EQ(app::CreateObject(box_, {}, 0, 0), 3);
    HWND other = app::CreateAnimationBox(host_, 0, 0, 10, 10, false, true);
    EXPECT_EQ(app::CreateObject(other, {}, 0, 0), 1);
    EXPECT_EQ(GetWindowLongPtrA(other, GWL_STYLE) & (WS_VISIBLE | WS_TABSTOP), WS_TABSTOP);
    DestroyWindow(other);

    EXPECT_EQ(app::CreateObject(host_, {}, 0, 0), 0);
    EXPECT_EQ(app::AnimationBoxColor(host_), CLR_INVALID);
    app::PlayObjectAnimation(box_, 99, 0); // no such sprite: nothing happens
}

struct WorkerJob {
    HWND box;
    std::vector<std::uint8_t> gif;
    int sprite = 0;
};

DWORD WINAPI RunWorkerJob(void* parameter) {
    WorkerJob& job = *static_cast<WorkerJob*>(parameter);
    job.sprite = app::CreateObject(job.box, {}, 0, 0, false);
    app::SetObjectVisible(job.box, job.sprite);
    app::SetAnimationBoxColor(job.box, kStripGrey);
    app::SetObjectPicture(job.box, job.sprite, job.gif);
    app::PlayObjectAnimation(job.box, job.sprite, 0);
    return 0;
}

TEST_F(AnimationBoxTest, CallsFromAnotherThreadRunOnTheBoxThread) {
    WorkerJob job{box_, FourColourGif({10, 10, 10, 10})};
    skin::KernelHandle worker(CreateThread(nullptr, 0, RunWorkerJob, &job, 0, nullptr));
    ASSERT_TRUE(worker);
    HANDLE handle = worker.get();
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        Pump(0);
    EXPECT_EQ(job.sprite, 1);
    const std::vector<Shown> seen = Watch(5, 5, 250);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].colour, kRed);
    EXPECT_EQ(seen[1].colour, kGreen);
    EXPECT_EQ(BoxPixel(100, 5), kStripGrey);
}

TEST_F(AnimationBoxTest, RemovingASpriteOrDestroyingTheBoxReleasesItsObjects) {
    DestroyWindow(box_);
    const long gdi = skin::LiveGdiObjects();
    const long gdip = skin::LiveGdipObjects();

    box_ = app::CreateAnimationBox(host_, kBoxLeft, kBoxTop, kBoxWidth, kBoxHeight, true, false);
    const int first = SpriteWithPicture(FourColourGif({2, 2, 2, 2}));
    const int second = SpriteWithPicture(FourColourGif({3, 3, 3, 3}), 40, 0);
    app::PlayObjectAnimation(box_, first, 0);
    app::PlayObjectAnimation(box_, second, 0);
    Pump(150);
    app::SetObjectPicture(box_, second, FourColourGif({3, 3, 3, 3}));
    Pump(50);
    EXPECT_EQ(skin::LiveGdiObjects(), gdi);
    EXPECT_EQ(skin::LiveGdipObjects(), gdip + 8); // the pre-rendered frames of both sprites

    app::RemoveObject(box_, second);
    EXPECT_EQ(skin::LiveGdipObjects(), gdip + 4);
    EXPECT_EQ(BoxPixel(45, 5), GetSysColor(COLOR_BTNFACE));

    DestroyWindow(box_);
    box_ = nullptr;
    EXPECT_EQ(skin::LiveGdiObjects(), gdi);
    EXPECT_EQ(skin::LiveGdipObjects(), gdip);
}

} // namespace
