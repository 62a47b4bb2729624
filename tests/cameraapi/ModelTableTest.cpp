// SPDX-License-Identifier: MIT
// Consistency of the model table, its USB 3 family tests and agreement with the firmware.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "cameraapi/ModelTable.h"
#include "sim/VirtualModel.h"

namespace vidscope::api {
namespace {

TEST(ModelTable, NamesAndDeviceCodesIdentifyOneRowEach) {
    ASSERT_EQ(ModelTable::rows().size(), ModelTable::kRowCount);
    std::set<std::string> names;
    std::set<uint16_t> codes;
    for (const ModelRow& row : ModelTable::rows()) {
        SCOPED_TRACE(row.name);
        size_t length = std::strlen(row.name);
        EXPECT_GT(length, 0u);
        EXPECT_LE(length, ModelTable::kMaxNameLength);
        for (size_t i = 0; i < length; ++i)
            EXPECT_TRUE(row.name[i] > 0x20 && row.name[i] < 0x7F);
        names.insert(row.name);
        codes.insert(row.deviceCode);
    }
    EXPECT_EQ(names.size(), ModelTable::kRowCount);
    EXPECT_EQ(codes.size(), ModelTable::kRowCount);

    for (uint32_t i = 0; i < ModelTable::kRowCount; ++i) {
        EXPECT_EQ(ModelTable::findDeviceCode(ModelTable::rows()[i].deviceCode), i);
    }
    EXPECT_EQ(ModelTable::findDeviceCode(0x1234), ModelTable::kNoRow);
    EXPECT_EQ(ModelTable::row(ModelTable::kNoRow), nullptr);
    EXPECT_EQ(ModelTable::row(ModelTable::kNoRow - 1)->deviceCode, 0xC500);
}

TEST(ModelTable, BothUsb3TestsSelectExactlyRows13To27) {
    for (uint32_t i = 0; i < ModelTable::kRowCount; ++i) {
        uint16_t code = ModelTable::rows()[i].deviceCode;
        bool expected = i >= 13 && i <= 27;
        EXPECT_EQ(ModelTable::usesUsb3Buffers(code), expected) << "row " << i;
        EXPECT_EQ(ModelTable::isUsb3Family(code), expected) << "row " << i;
    }
}

// A USB 3 model built on a sensor that also has a USB 2 model must convert and size alike.
TEST(ModelTable, SensorFamiliesAgreeAcrossUsbGenerations) {
    for (const ModelRow& row : ModelTable::rows()) {
        if (!ModelTable::isUsb3Family(row.deviceCode)) {
            EXPECT_EQ(row.sensorCode, row.deviceCode) << row.name;
            continue;
        }
        uint32_t twin = ModelTable::findDeviceCode(row.sensorCode);
        if (twin == ModelTable::kNoRow || twin == ModelTable::findDeviceCode(row.deviceCode)) {
            continue;
        }
        const ModelRow* usb2 = ModelTable::row(twin);
        EXPECT_EQ(row.pipelineClass, usb2->pipelineClass) << row.name;
        EXPECT_EQ(row.maxWidth, usb2->maxWidth) << row.name;
        EXPECT_EQ(row.maxHeight, usb2->maxHeight) << row.name;
    }
}

// The virtual camera firmware keeps its own catalogue; a camera must be what the API thinks.
TEST(ModelTable, MatchesTheVirtualFirmwareCatalogue) {
    ASSERT_EQ(sim::virtualModels().size(), ModelTable::kRowCount);
    for (const sim::VirtualModel& model : sim::virtualModels()) {
        SCOPED_TRACE(model.productString);
        const ModelRow* row = ModelTable::row(ModelTable::findDeviceCode(model.productId));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->sensorCode, model.sensorCode);
        EXPECT_EQ(static_cast<int>(row->pipelineClass), static_cast<int>(model.layout));
        EXPECT_EQ(row->maxWidth, model.maxWidth);
        EXPECT_EQ(row->maxHeight, model.maxHeight);
        EXPECT_EQ(ModelTable::isUsb3Family(model.productId), model.superSpeed);
    }
}

}  // namespace
}  // namespace vidscope::api
