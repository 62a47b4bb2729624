// SPDX-License-Identifier: MIT
// The register dialog through its widgets: hexadecimal fields, registers, EEPROM and the GUID.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <array>

#include "RWRegister.h"
#include "ToolsTestSupport.h"

namespace {

class RWRegisterTest : public VirtualCameraTest {
protected:
    void SetUp() override {
        VirtualCameraTest::SetUp();
        dialog_ = std::make_unique<RWRegister>();
        QObject::connect(dialog_.get(), &RWRegister::toTable, [this](QString f, int e) {
            reports_.push_back({f, e});
        });
    }

    template <typename T>
    T* child(const char* name) const {
        T* found = dialog_->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void type(const char* edit, const QString& text) {
        child<QLineEdit>(edit)->clear();
        QTest::keyClicks(child<QLineEdit>(edit), text);
    }
    void click(const char* button) {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    void source(int index) { child<QComboBox>("cbSource")->setCurrentIndex(index); }
    QString value() const { return child<QLineEdit>("leVal")->text(); }

    static QByteArray userData() {
        std::array<unsigned char, 12> bytes{};
        EXPECT_TRUE(CameraReadUserData(0, bytes.data(), 12));
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), 12);
    }

    RecordingPrompts prompts_;
    std::unique_ptr<RWRegister> dialog_;
    std::vector<Report> reports_;
};

TEST(RWRegisterParse, HexWithOrWithoutPrefixGarbageIsZeroAndBigNumbersAreRefused) {
    EXPECT_EQ(RWRegister::parseHex("3012"), 0x3012);
    EXPECT_EQ(RWRegister::parseHex("0x1e"), 0x1E);
    EXPECT_EQ(RWRegister::parseHex(" FFFF "), 0xFFFF);
    EXPECT_EQ(RWRegister::parseHex("zz"), 0);
    EXPECT_EQ(RWRegister::parseHex(""), 0);
    EXPECT_EQ(RWRegister::parseHex("0x"), 0);
    EXPECT_EQ(RWRegister::parseHex("12 34"), 0);
    EXPECT_EQ(RWRegister::parseHex("10000"), std::nullopt);
    EXPECT_EQ(RWRegister::parseHex("FFFFFFFFFFFFFFFFFFFF"), std::nullopt);
    EXPECT_EQ(RWRegister::parseHex("0x0000000000000000000012"), 0x12);
}

TEST_F(RWRegisterTest, SensorRegisterWrittenAndReadBackInLowercaseHex) {
    ASSERT_TRUE(plug("3E00"));
    EXPECT_EQ(dialog_->windowTitle(), "R/W Register");
    source(0);
    type("leReg", "3012");
    type("leVal", "5DC");
    click("btnWriteReg");
    child<QLineEdit>("leVal")->clear();
    click("btnReadReg");
    EXPECT_EQ(value(), "5dc");
    unsigned int direct = 0;
    ASSERT_TRUE(CameraReadSCCB(0, 0, 0x3012, &direct, 0));
    EXPECT_EQ(direct, 0x5DCu);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(RWRegisterTest, EepromByteTakesTheLowByteOfTheValue) {
    ASSERT_TRUE(plug("303B"));
    source(1);
    type("leReg", "0x0100");
    type("leVal", "1A5");
    click("btnWriteReg");
    unsigned char byte = 0;
    ASSERT_TRUE(CameraReadEEPROM(0, 0, 0x100, &byte, 0));
    EXPECT_EQ(byte, 0xA5);
    type("leVal", "");
    click("btnReadReg");
    EXPECT_EQ(value(), "a5");
}

TEST_F(RWRegisterTest, OversizedNumbersAreRefusedBeforeAnythingIsSent) {
    ASSERT_TRUE(plug("3E00"));
    source(0);
    type("leReg", "3012");
    type("leVal", "10000");
    click("btnWriteReg");
    unsigned int direct = 0;
    ASSERT_TRUE(CameraReadSCCB(0, 0, 0x3012, &direct, 0));
    EXPECT_NE(direct, 0u) << "a value cut to 16 bits would have been written as 0";
    type("leReg", "123456");
    type("leVal", "abc");
    click("btnReadReg");
    EXPECT_EQ(value(), "abc") << "a refused read leaves the value alone";
    EXPECT_EQ(prompts_.boxes.size(), 2);
    EXPECT_TRUE(prompts_.boxes.value(0).startsWith("NOTICE: "));
}

TEST_F(RWRegisterTest, FailedReadShowsThePlaceholderAndIsLogged) {
    ASSERT_TRUE(plug("303B"));
    unplug();
    type("leReg", "zz");
    click("btnReadReg");
    EXPECT_EQ(value(), "78");
    click("btnWriteReg");
    click("btnRGUID");
    ASSERT_EQ(reports_.size(), 3u);
    EXPECT_EQ(reports_[0].function, "CameraReadUserData");
    EXPECT_NE(reports_[0].error, 0);
    EXPECT_EQ(reports_[1].function, "CameraWriteUserData");
    EXPECT_EQ(reports_[2].function, "CameraReadUserData");
}

TEST_F(RWRegisterTest, GuidNeedsManagementAndTwelvePrintableCharacters) {
    ASSERT_TRUE(plug("303B"));
    const QByteArray before = userData();
    type("leGUIDValue", "ABCDEF-12.3!");
    click("btnWGUID");
    EXPECT_EQ(prompts_.boxes,
              QStringList{"NOTICE: Please ask permission from vendor to write GUID."});
    EXPECT_EQ(userData(), before);

    dialog_->managementEnabled = true;
    prompts_.boxes.clear();
    for (const QString& bad : {QString("ABCDEFGHIJK"), QString("ABCDEFGHIJKLM"),
                               QString::fromUtf8("ABCDEFGHIJK\u00e9")}) {
        child<QLineEdit>("leGUIDValue")->setText(bad);
        click("btnWGUID");
    }
    EXPECT_EQ(prompts_.boxes.size(), 3);
    EXPECT_EQ(prompts_.boxes.value(2), "NOTICE: Please enter a valid GUID(12 digits or letters).");
    EXPECT_EQ(userData(), before);

    prompts_.boxes.clear();
    type("leGUIDValue", "ABCDEF-12.3!");
    click("btnWGUID");
    EXPECT_EQ(prompts_.boxes, QStringList{"NOTICE: GUID write successfully."});
    EXPECT_EQ(userData(), QByteArray("ABCDEF-12.3!"));
    type("leGUIDValue", "");
    click("btnRGUID");
    EXPECT_EQ(child<QLineEdit>("leGUIDValue")->text(), "ABCDEF-12.3!");
    EXPECT_TRUE(reports_.empty());
}

TEST_F(RWRegisterTest, CameraButtonsFollowTheOpenCamera) {
    dialog_->cameraChanged(-1);
    EXPECT_FALSE(child<QPushButton>("btnReadReg")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("btnWGUID")->isEnabled());
    dialog_->cameraChanged(0);
    EXPECT_TRUE(child<QPushButton>("btnReadReg")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("btnRGUID")->isEnabled());
}

}  // namespace
