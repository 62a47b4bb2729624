// SPDX-License-Identifier: MIT
// Test fixture that puts bare camera contexts into slots and empties them afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/CameraSlots.h"

namespace vidscope::api::test {

class SlotFixture : public ::testing::Test {
protected:
    // A context without a device, as opening a camera builds it before the device is found.
    CameraContext* openSlot(int index, uint32_t modelIndex) {
        auto context = std::make_unique<CameraContext>();
        context->modelIndex = modelIndex;
        CameraContext* raw = context.get();
        EXPECT_TRUE(CameraSlots::install(index, context)) << "slot " << index << " was occupied";
        used_.push_back(index);
        return raw;
    }

    void TearDown() override {
        for (int index : used_)
            CameraSlots::take(index);
    }

private:
    std::vector<int> used_;
};

}  // namespace vidscope::api::test
