// The option handlers: one flag per scale, one radio mark per button.
#include "app/options.h"

#include "app/globals.h"
#include "app/handlers.h"
#include "app/retired_images.h"
#include "app/runtime/unit_lookup.h"
#include "images/catalogue.h"

namespace app {
namespace {

struct Option {
    const char* unit;
    std::atomic<int> AppGlobals::*flag;
    int logPixels;
};

constexpr Option kOptions[] = {
    {units::kOption100, &AppGlobals::normalSelected, 96},
    {units::kOption125, &AppGlobals::mediumSelected, 120},
    {units::kOption150, &AppGlobals::largeSelected, 144},
};

// The shared optionMark is bound to each button in turn only to store that button's mark, and what
// accessibility clients are told of it; each mark is decoded afresh from the embedded bytes.
void MarkButton(const Option& option, bool selected) {
    g_app.optionMark.Attach(UnitHandle(kMainWindow, option.unit), nullptr);
    g_app.optionMark.SetImages(images::DecodeImage(
        images::ArtBytes(selected ? images::Art::RadioOnImage : images::Art::RadioOffImage)));
    g_app.optionMark.SetChecked(selected);
}

void Choose(int chosen) {
    // The worker may read the flags meanwhile: the chosen one is set before the others are cleared.
    g_app.*kOptions[chosen].flag = 1;
    for (int i = 0; i < 3; ++i)
        if (i != chosen) g_app.*kOptions[i].flag = 0;
    MarkButton(kOptions[chosen], true);
    for (int i = 0; i < 3; ++i)
        if (i != chosen) MarkButton(kOptions[i], false);
}

void OnOption(int chosen) {
    // The selected option changes nothing and repaints nothing.
    if (g_app.*kOptions[chosen].flag != 0) return;
    RetiredImages retired;
    CollectOptionImages(retired);
    Choose(chosen);
    g_app.mainSkin.Refresh();
}

} // namespace

void CollectOptionImages(RetiredImages& retired) {
    for (const Option& option : kOptions)
        retired.Collect(UnitHandle(kMainWindow, option.unit));
}

void ResetOptions() {
    g_app.normalSelected = 1;
    g_app.mediumSelected = 0;
    g_app.largeSelected = 0;
    for (int i = 0; i < 3; ++i)
        MarkButton(kOptions[i], i == 0);
}

int SelectedLogPixels() {
    for (const Option& option : kOptions)
        if (g_app.*option.flag == 1) return option.logPixels;
    return 0;
}

void OnOption100() {
    OnOption(0);
}
void OnOption125() {
    OnOption(1);
}
void OnOption150() {
    OnOption(2);
}

} // namespace app
