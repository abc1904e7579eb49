// What one frame of the main window's face costs under the layered compositor: the reference path
// (everything drawn afresh, then pushed), the kept-background composition, a tick on which nothing
// changed (composed, found identical to the frame on screen, not pushed), and a tick with a change.
//   compose_bench [frames per series]
#include "images/catalogue.h"
#include "skin/button.h"
#include "skin/picture.h"
#include "skin/props.h"
#include "skin/window.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kDefaultFrames = 200;
constexpr int kWarmUpFrames = 5;
constexpr int kWidth = 800, kHeight = 540;

struct Series {
    const char* name;
    std::vector<double> milliseconds;
    long pushes = 0;
};

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER value{};
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    return value.QuadPart * 1000.0 / frequency;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

Series Measure(const char* name, int frames, const std::function<void()>& frame) {
    for (int i = 0; i < kWarmUpFrames; ++i)
        frame();
    Series series{name, {}, 0};
    const long pushes = skin::FramesPushed();
    for (int i = 0; i < frames; ++i) {
        PumpMessages();
        const double start = Now();
        frame();
        series.milliseconds.push_back(Now() - start);
    }
    series.pushes = skin::FramesPushed() - pushes;
    return series;
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(fraction * (values.size() - 1) + 0.5);
    return values[index];
}

images::ImageHandle Art(images::Art art) {
    return images::DecodeImage(images::ArtBytes(art));
}

// The face of the main window after Apply: background, three option marks, Apply, Log off, close and
// the step picture, which overlaps an option mark and Apply. Decoded artwork lives until the process ends.
HWND BuildMainFace(skin::SkinWindow& skin, HWND& apply, HWND& step) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ComposeBench";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                                  kHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
    skin.Attach(window);
    skin.SetBackImageData(images::ArtBytes(images::Art::TitleBackground));

    skin::SkinPictureBox picture;
    step = picture.Create(window, 53, 427, 530, 48);
    picture.SetImage(Art(images::Art::StepBarImage));
    skin::SkinButton button;
    const int optionTops[] = {380, 422, 462};
    for (int i = 0; i < 3; ++i) {
        button.Create(window, 83, optionTops[i], 160, 32, "");
        button.SetImages(Art(i == 0 ? images::Art::RadioOnImage : images::Art::RadioOffImage));
    }
    apply = button.Create(window, 488, 448, 160, 52, "");
    button.SetImages(Art(images::Art::ApplyNormal), Art(images::Art::ApplyHover),
                     Art(images::Art::ApplyPressed));
    button.Create(window, 488, 373, 160, 52, "");
    button.SetImages(Art(images::Art::LogOffNormal), Art(images::Art::LogOffHover),
                     Art(images::Art::LogOffPressed));
    button.Create(window, 757, 18, 18, 18, "");
    button.SetImages(Art(images::Art::CloseNormal), Art(images::Art::CloseHover),
                     Art(images::Art::ClosePressed));
    skin.Refresh();
    return window;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultFrames;
    OleInitialize(nullptr);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);

    skin::SkinWindow skin;
    HWND apply = nullptr, step = nullptr;
    HWND window = BuildMainFace(skin, apply, step);
    int hover = 0;
    std::vector<Series> results{
        Measure("reference: compose afresh + push", frames,
                [&] {
                    auto frame = skin::ComposeWindowAfresh(window);
                    skin::PushFrame(window, frame.get(), false);
                }),
        Measure("ours: tick with a change (compose + push)", frames,
                [&] {
                    hover ^= 1;
                    skin::SetSkinProp(apply, skin::kPropDrawState, hover);
                    skin::ComposeWindow(window, false);
                }),
        // A property write that changes no pixel: the frame is composed and compared, not pushed.
        Measure("ours: composition, no visible change", frames,
                [&] {
                    skin::SetSkinProp(apply, skin::kPropDrawState, hover);
                    skin::ComposeWindow(window, false);
                }),
        Measure("ours: tick with nothing changed", frames, [&] { skin::ComposeWindow(window, false); }),
        Measure("ours: frame handed to the caller (keep)", frames,
                [&] { skin::ComposeWindow(window, true); }),
    };
    // The program never gives its step picture an image: no two faces overlap, and an unchanged tick asks
    // nothing about the order of the children.
    skin::SetSkinProp(step, skin::kPropBackImage, 0);
    skin::ComposeWindow(window, false);
    results.push_back(Measure("ours: nothing changed, no faces overlap", frames,
                              [&] { skin::ComposeWindow(window, false); }));

    std::printf("%d x %d face, %d frames per series (milliseconds per frame)\n", kWidth, kHeight, frames);
    std::printf("%-40s %8s %8s %8s\n", "series", "median", "p95", "pushes");
    for (const Series& series : results)
        std::printf("%-40s %8.3f %8.3f %8ld\n", series.name, Percentile(series.milliseconds, 0.5),
                    Percentile(series.milliseconds, 0.95), series.pushes);
    std::fflush(stdout);
    DestroyWindow(window);
    return 0;
}
