// main() of every test executable: COM and the common controls, as the programs set them up.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "WindowsKind.h"

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    testing::InitGoogleTest(&argc, argv);
    std::printf("Windows: %s\n", tw::test::WindowsKindText());
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
