#pragma once

#include "com_test_support.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace quillomet::testing {

// The main of a test program that loads Quillomet.ocx from the path ctest
// passes: GoogleTest with OLE initialised around it.
inline int RunWithOcx(int argc, char** argv, std::string& ocxPath, const char* program) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: %s PATH-TO-Quillomet.ocx\n", program);
        return 2;
    }
    ocxPath = WindowsPath(argv[1]);
    OleInitialize(nullptr);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}

} // namespace quillomet::testing
