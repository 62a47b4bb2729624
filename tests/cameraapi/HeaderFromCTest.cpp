// SPDX-License-Identifier: MIT
// The public header compiles as C and its functions work when called from C.
#include <gtest/gtest.h>

#include <thread>

extern "C" int vidscopeHeaderFromC(void);

TEST(HeaderFromC, CallsBehaveAsDocumented) {
    int failedStep = -1;
    // A thread of its own, so the last-error codes of other tests cannot interfere.
    std::thread([&] { failedStep = vidscopeHeaderFromC(); }).join();
    EXPECT_EQ(failedStep, 0);
}
