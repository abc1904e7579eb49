// The application's global state. It lives for the whole process; nothing is persisted.
#pragma once
#include "skin/button.h"
#include "skin/owners.h"
#include "skin/picture.h"
#include "skin/window.h"

#include <windows.h>

#include <atomic>

namespace app {

struct AppGlobals {
    // Exactly one option flag is 1 once the main window is set up. The Apply worker reads them, so they
    // are atomics, written and read in a fixed order (100 %, 125 %, 150 %).
    std::atomic<int> normalSelected{0};
    std::atomic<int> mediumSelected{0};
    std::atomic<int> largeSelected{0};

    // The six toolkit objects: made unbound before the main window exists, released at process exit
    // (their release frees the object and nothing else).
    skin::SkinButton optionMark;
    skin::SkinWindow mainSkin;
    skin::SkinButton applySkin;
    skin::SkinButton logOffSkin;
    skin::SkinButton closeSkin;
    skin::SkinPictureBox stepPicture;

    GUID timeDimension{}; // GDI+ FrameDimensionTime, for selecting frame 0 of decoded images
    ULONG_PTR gdiplusToken = 0;
    int wasMinimized = 0;           // MainWindow was minimised at its last moved event
    skin::KernelHandle applyThread; // the worker of the latest Apply
    int stripObject = 0;            // sprite number of the progress strip

    // From the Apply click until a failed Apply returns to choosing; a restore from minimised re-runs
    // the set-up only while this is false.
    std::atomic<bool> applyStarted{false};
};

extern AppGlobals g_app;

} // namespace app
