// Entry point of every test executable: the process is set up as the program sets itself up
// (OLE, GDI+, the frame-dimension identifier) before any test runs.
#include "images/decode.h"

#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    static GUID timeDimension{};
    CLSIDFromString(L"{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}", &timeDimension);
    images::SetTimeDimension(&timeDimension);
    return RUN_ALL_TESTS();
}
