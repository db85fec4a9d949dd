// Entry of the end-to-end tests: e2e_test <quorvel.exe> [GoogleTest options].
#include <gtest/gtest.h>

#include <stdio.h>

#include "e2e/driver_win32.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: %s quorvel.exe [GoogleTest options]\n", argv[0]);
        return 2;
    }
    e2e::SetProgramPath(argv[1]);
    return RUN_ALL_TESTS();
}
