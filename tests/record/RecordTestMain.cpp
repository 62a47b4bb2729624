// SPDX-License-Identifier: MIT
// Test entry point of the recording tests: an event loop for the queued signals of the thread.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
