// SPDX-License-Identifier: MIT
// Test entry point: one QApplication on the offscreen platform for the settings tests.
#include <gtest/gtest.h>

#include <QApplication>

// The mutation run feeds Qt's INI reader "@Variant(" values whose stream claims a length of
// many gigabytes. malloc refuses such a request and Qt's reader copes with the refusal;
// AddressSanitizer would abort the process instead, so it is told to refuse the same way.
// Programs built without it never call this.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
