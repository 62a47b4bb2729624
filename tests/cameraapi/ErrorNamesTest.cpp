// SPDX-License-Identifier: MIT
// Error code names and the API version.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "vidscope/camera_api.h"

namespace {

TEST(ErrorNames, EveryCodeHasItsOwnName) {
    EXPECT_STREQ(CameraGetErrorName(CAMERA_ERROR_INDEX_OUT_OF_RANGE),
                 "CAMERA_ERROR_INDEX_OUT_OF_RANGE");
    EXPECT_STREQ(CameraGetErrorName(CAMERA_ERROR_USB_DISCONNECTED),
                 "CAMERA_ERROR_USB_DISCONNECTED");
    EXPECT_STREQ(CameraGetErrorName(CAMERA_ERROR_DATA_XFER), "CAMERA_ERROR_DATA_XFER");
    EXPECT_STREQ(CameraGetErrorName(CAMERA_ERROR_DATA_TIMEOUT), "CAMERA_ERROR_DATA_TIMEOUT");

    std::set<std::string> names;
    for (int code = 1; code <= 17; ++code) {
        std::string name = CameraGetErrorName(code);
        EXPECT_EQ(name.rfind("CAMERA_ERROR_", 0), 0u) << code;
        EXPECT_NE(name, "CAMERA_ERROR_UNKNOWN") << code;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 17u);
}

TEST(ErrorNames, CodesOutsideTheTableGetNeutralNames) {
    EXPECT_STREQ(CameraGetErrorName(-1), "CAMERA_ERROR_NONE");
    EXPECT_STREQ(CameraGetErrorName(0), "CAMERA_ERROR_NONE");
    for (int code : {18, 22, 1000, -2, -1000}) {
        EXPECT_STREQ(CameraGetErrorName(code), "CAMERA_ERROR_UNKNOWN") << code;
    }
}

TEST(ApiVersion, WritesOnlyThePointersGiven) {
    int major = 0;
    int minor = 0;
    CameraGetApiVersion(&major, &minor);
    EXPECT_EQ(major, 2016);
    EXPECT_EQ(minor, 9);
    minor = 0;
    CameraGetApiVersion(nullptr, &minor);
    EXPECT_EQ(minor, 9);
    CameraGetApiVersion(nullptr, nullptr);
}

}  // namespace
