// The main function of every Win32 test program. Before any test runs it
// checks that the program really runs where the tests are meant to run: in
// code page 932, on the session's virtual screen of the size it was started
// with (without an X server Wine makes up 1024 x 768).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/win32/support/win_test_support.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GetACP() != 932) {
        std::fprintf(stderr, "win_test_main: ANSI code page is %u, not 932\n", GetACP());
        return 2;
    }
    const char* geometry = std::getenv("ZELCAP_SCREEN_GEOMETRY");
    int width = 0, height = 0;
    if (!geometry || std::sscanf(geometry, "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "win_test_main: no ZELCAP_SCREEN_GEOMETRY; run through ctest\n");
        return 2;
    }
    if (GetSystemMetrics(SM_CXSCREEN) != width || GetSystemMetrics(SM_CYSCREEN) != height) {
        std::fprintf(stderr, "win_test_main: screen is %dx%d, not %s\n",
                     GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), geometry);
        return 2;
    }
    testsupport::InstallDialogGuard();
    return RUN_ALL_TESTS();
}
