// SPDX-License-Identifier: MIT
// The model table: unique rows and agreement with the firmware catalogue.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "cameraapi/model/ModelTable.h"
#include "sim/VirtualModel.h"

namespace vidscope::api {
namespace {

TEST(ModelTable, NamesAndDeviceCodesIdentifyOneRowEach) {
    std::set<std::string> names;
    for (uint32_t i = 0; i < ModelTable::kRowCount; ++i) {
        const ModelRow& row = ModelTable::rows()[i];
        EXPECT_LE(std::strlen(row.name), ModelTable::kMaxNameLength) << row.name;
        names.insert(row.name);
        EXPECT_EQ(ModelTable::findDeviceCode(row.deviceCode), i) << row.name;
    }
    EXPECT_EQ(names.size(), ModelTable::kRowCount);
    EXPECT_EQ(ModelTable::findDeviceCode(0x1234), ModelTable::kNoRow);
    EXPECT_EQ(ModelTable::row(ModelTable::kNoRow), nullptr);
}

// The virtual firmware keeps its own catalogue: a camera must be what the API takes it for.
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
        EXPECT_EQ(ModelTable::usesUsb3Buffers(model.productId), model.superSpeed);
    }
}

}  // namespace
}  // namespace vidscope::api
