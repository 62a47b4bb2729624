// SPDX-License-Identifier: MIT
// Names of the error codes, as tools and the message log print them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "vidscope/camera_api.h"

namespace {

TEST(ErrorNames, EachCodeHasItsOwnNameAndOthersAreNeutral) {
    EXPECT_STREQ(CameraGetErrorName(CAMERA_ERROR_INDEX_OUT_OF_RANGE),
                 "CAMERA_ERROR_INDEX_OUT_OF_RANGE");
    EXPECT_STREQ(CameraGetErrorName(CAMERA_ERROR_DATA_TIMEOUT), "CAMERA_ERROR_DATA_TIMEOUT");
    std::set<std::string> names;
    for (int code = 1; code <= 17; ++code)
        names.insert(CameraGetErrorName(code));
    EXPECT_EQ(names.size(), 17u);
    EXPECT_EQ(names.count("CAMERA_ERROR_UNKNOWN") + names.count("CAMERA_ERROR_NONE"), 0u);

    EXPECT_STREQ(CameraGetErrorName(-1), "CAMERA_ERROR_NONE");
    EXPECT_STREQ(CameraGetErrorName(0), "CAMERA_ERROR_NONE");
    for (int code : {18, -2, 1000})
        EXPECT_STREQ(CameraGetErrorName(code), "CAMERA_ERROR_UNKNOWN");
}

}  // namespace
