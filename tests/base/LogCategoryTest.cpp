// SPDX-License-Identifier: MIT
// Run-time switching of log categories by rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/LogCategory.h"

using vidscope::base::LogCategory;
using vidscope::base::LogLevel;

TEST(LogCategory, RulesSwitchCategoriesAtRunTime) {
    LogCategory usb("test.usb");
    LogCategory host("test.host");
    LogCategory other("other");
    EXPECT_FALSE(usb.isEnabled(LogLevel::Info));  // warnings and errors by default
    EXPECT_TRUE(usb.isEnabled(LogLevel::Warning));

    LogCategory::setRules("test.*=debug,test.host=error");
    EXPECT_TRUE(usb.isEnabled(LogLevel::Debug));
    EXPECT_FALSE(host.isEnabled(LogLevel::Warning));
    EXPECT_TRUE(host.isEnabled(LogLevel::Error));
    EXPECT_FALSE(other.isEnabled(LogLevel::Info));

    LogCategory::setRules("*=off,bogus,other=nonsense");
    EXPECT_FALSE(usb.isEnabled(LogLevel::Error));
    EXPECT_FALSE(other.isEnabled(LogLevel::Error));
    LogCategory::setRules("");
}

TEST(LogCategory, SinkReceivesOnlyEnabledMessages) {
    static LogCategory cat("test.sink");
    std::vector<std::string> seen;
    LogCategory::setSink([&](const LogCategory& c, LogLevel, const std::string& text) {
        seen.push_back(std::string(c.name()) + ":" + text);
    });
    VS_LOG(cat, Debug) << "hidden " << 1;
    VS_LOG(cat, Warning) << "shown " << 2;
    LogCategory::setSink(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "test.sink:shown 2");
}
