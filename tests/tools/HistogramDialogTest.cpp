// SPDX-License-Identifier: MIT
// The histogram dialog driven through its widgets: inspector, keys, and the dead-pixel editor.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <set>

#include "AppSettings.h"
#include "DeadPixelEditor.h"
#include "Histogram.h"
#include "SensorGeometry.h"
#include "ToolsTestSupport.h"
#include "TranslatableWindows.h"

namespace {

using Site = std::pair<int, int>;

class HistogramDialogTest : public VirtualCameraTest {
protected:
    void SetUp() override {
        VirtualCameraTest::SetUp();
        settings_ = std::make_unique<AppSettings>();
    }
    void TearDown() override {
        dialog_.reset();
        VirtualCameraTest::TearDown();
    }

    Histogram& open(const QImage& image) {
        dialog_ = std::make_unique<Histogram>(*settings_);
        QObject::connect(dialog_.get(), &Histogram::toTable, [this](QString f, int e) {
            reports_.push_back({f, e});
        });
        dialog_->resize(900, 700);
        dialog_->setImage(image);
        dialog_->computeHistogram();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        return *dialog_;
    }

    template <typename T>
    T* child(const char* name) const {
        T* found = dialog_->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* label) const { return child<QLabel>(label)->text(); }
    void click(const char* button) {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }

    // A press on image pixel (x, y) of the still, wherever the scroll area shows it.
    void pressOnImage(int x, int y) {
        QWidget* image = child<QLabel>("lbImage");
        QTest::mousePress(image, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(x, y));
    }

    // Plugs the 752 x 480 monochrome camera and opens the dialog on its full-frame still.
    std::shared_ptr<vidscope::sim::CameraFirmware> openOnCamera() {
        auto firmware = plug("303B");
        EXPECT_TRUE(firmware);
        if (firmware)
            open(still(true));
        return firmware;
    }
    void clickListItem(int row) {
        auto* list = child<QListWidget>("listWidget");
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

    std::set<Site> listed() const {
        std::set<Site> out;
        const DeadPixelList& list = dialog_->deadPixels().list();
        for (int i = 0; i < list.count(); ++i)
            out.insert({list.at(i).x, list.at(i).y});
        return out;
    }

    static std::set<Site> stored() {
        std::array<unsigned int, 128> buffer{};
        EXPECT_TRUE(CameraLoadDeadpixel(0, buffer.data()));
        std::set<Site> out;
        for (unsigned int i = 0; i < buffer[0] && i < 63; ++i)
            out.insert({int(buffer[1 + 2 * i]), int(buffer[2 + 2 * i])});
        return out;
    }

    static std::set<Site> sites(const vidscope::sim::CameraFirmware& firmware) {
        std::set<Site> out;
        for (const auto& s : firmware.stuckSites())
            out.insert({s.x, s.y});
        return out;
    }

    RecordingPrompts prompts_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<Histogram> dialog_;
    std::vector<Report> reports_;
};

QImage gradient() {
    QImage image(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            image.setPixel(x, y, qRgb(x, y, 100));
    return image;
}

TEST_F(HistogramDialogTest, StatisticsOfAUniformPictureAndTheDepthShown) {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 128));
    open(image);
    EXPECT_EQ(dialog_->windowTitle(), "Image Histogram");
    EXPECT_EQ(text("lbWidth"), "64");
    EXPECT_EQ(text("lbHeight"), "32");
    EXPECT_EQ(text("lbDepth"), "24");
    EXPECT_EQ(text("lbMax"), "128");
    EXPECT_EQ(text("lbMin"), "128");
    EXPECT_EQ(text("lbAverage"), "128");
    // A language switch re-applies the form's texts, but not over the figures.
    TranslatableWindows::instance().retranslateAll();
    EXPECT_EQ(text("lbMax"), "128");
    EXPECT_EQ(text("lbWidth"), "64");
    // Without a camera the stored list cannot be read: reported, and the box shows 70.
    ASSERT_FALSE(reports_.empty());
    EXPECT_EQ(reports_[0].function, "CameraLoadDeadpixel");
    EXPECT_EQ(child<QSpinBox>("spinBox")->value(), 70);
}

TEST_F(HistogramDialogTest, PressInspectsThePixelUpLeftOfThePressAndMagnifiesIt) {
    QImage image = gradient();
    image.setPixel(0, 0, qRgb(255, 0, 0));
    open(image);
    EXPECT_FALSE(child<QPushButton>("btnSaveDeadPixel")->isEnabled());
    pressOnImage(1, 1);
    EXPECT_EQ(text("lbPosition"), "(0,0)");
    EXPECT_EQ(text("lbGray"), "87");
    EXPECT_EQ(text("lbRGB"), "(R:255,G:0,B:0)");
    EXPECT_TRUE(child<QPushButton>("btnSaveDeadPixel")->isEnabled());
    EXPECT_FALSE(child<QLabel>("lbPick")->picture().isNull());

    // A drag updates the inspector all along.
    QWidget* label = child<QLabel>("lbImage");
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(21, 11), label->mapToGlobal(QPointF(21, 11)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &move);
    EXPECT_EQ(text("lbPosition"), "(20,10)");
    EXPECT_EQ(text("lbRGB"), "(R:20,G:10,B:100)");
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(21, 11));
}

TEST_F(HistogramDialogTest, ArrowKeysMoveAndStopOutsideTheLeftEdge) {
    open(gradient());
    pressOnImage(2, 5);
    EXPECT_EQ(text("lbPosition"), "(1,4)");
    QTest::keyClick(dialog_.get(), Qt::Key_Left);
    EXPECT_EQ(text("lbPosition"), "(0,4)");
    QTest::keyClick(dialog_.get(), Qt::Key_Left);
    QTest::keyClick(dialog_.get(), Qt::Key_Left);
    EXPECT_EQ(text("lbPosition"), "(0,4)") << "outside the picture nothing is updated";
    EXPECT_EQ(dialog_->position(), QPoint(-1, 5));
    QTest::keyClick(dialog_.get(), Qt::Key_Right);
    EXPECT_EQ(dialog_->position(), QPoint(0, 5));
    QTest::keyClick(dialog_.get(), Qt::Key_Right);
    QTest::keyClick(dialog_.get(), Qt::Key_Right);
    QTest::keyClick(dialog_.get(), Qt::Key_Down);
    EXPECT_EQ(text("lbPosition"), "(1,5)");
    EXPECT_EQ(text("lbRGB"), "(R:1,G:5,B:100)");
    QTest::keyClick(dialog_.get(), Qt::Key_Up);
    EXPECT_EQ(text("lbPosition"), "(1,4)");
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog_->isVisible()) << "Escape must not close the inspector";
}

TEST_F(HistogramDialogTest, SavePositionTakesOnlyPressedPixelsOnce) {
    ASSERT_TRUE(openOnCamera());
    click("btnSaveDeadPixel");  // disabled: nothing picked yet
    EXPECT_EQ(dialog_->deadPixels().list().count(), 0);
    pressOnImage(6, 6);
    click("btnSaveDeadPixel");
    click("btnSaveDeadPixel");
    EXPECT_EQ(listed(), (std::set<Site>{{5, 5}}));
    EXPECT_EQ(text("lbNumber"), "(1)");

    // A pixel shown from the list is not taken again by "Save Position".
    pressOnImage(8, 8);
    clickListItem(0);
    EXPECT_EQ(text("lbPosition"), "(5,5)");
    click("btnSaveDeadPixel");
    EXPECT_EQ(dialog_->deadPixels().list().count(), 1);
    EXPECT_TRUE(prompts_.boxes.empty());
}

TEST_F(HistogramDialogTest, WithoutACameraNothingIsTakenThatCouldNotBeStored) {
    open(gradient());
    pressOnImage(6, 6);
    click("btnSaveDeadPixel");
    click("btnAutoFound");
    EXPECT_EQ(dialog_->deadPixels().list().count(), 0);
    EXPECT_EQ(prompts_.boxes.size(), 2);
}

TEST_F(HistogramDialogTest, DeleteOneNeedsASelectionAndShowsTheNextEntry) {
    ASSERT_TRUE(openOnCamera());
    for (int i = 1; i <= 3; ++i) {
        pressOnImage(10 * i + 1, 10 * i + 1);
        click("btnSaveDeadPixel");
    }
    ASSERT_EQ(dialog_->deadPixels().list().count(), 3);
    click("ClearDeadPixel");
    EXPECT_EQ(dialog_->deadPixels().list().count(), 3) << "nothing selected, nothing deleted";

    clickListItem(1);
    click("ClearDeadPixel");
    EXPECT_EQ(listed(), (std::set<Site>{{10, 10}, {30, 30}}));
    auto* list = child<QListWidget>("listWidget");
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "(30,30)");
    EXPECT_EQ(text("lbPosition"), "(30,30)");
    EXPECT_EQ(text("lbNumber"), "(2)");
}

TEST_F(HistogramDialogTest, ListClickScrollsThePixelNearTheCorner) {
    ASSERT_TRUE(openOnCamera());
    dialog_->resize(700, 600);
    QCoreApplication::processEvents();
    pressOnImage(601, 401);
    click("btnSaveDeadPixel");
    clickListItem(0);
    auto* area = child<QScrollArea>("saImage");
    EXPECT_EQ(area->horizontalScrollBar()->value(),
              std::min(400, area->horizontalScrollBar()->maximum()));
    EXPECT_EQ(area->verticalScrollBar()->value(),
              std::min(200, area->verticalScrollBar()->maximum()));
    EXPECT_GT(area->horizontalScrollBar()->value(), 0);
}

TEST_F(HistogramDialogTest, AutoFindListsTheSensorsStuckPixelsAndTheCameraRepairsThem) {
    auto firmware = plug("303B");
    ASSERT_TRUE(firmware);
    const std::set<Site> stuck = sites(*firmware);
    ASSERT_EQ(stuck.size(), 5u);
    open(still(true));
    child<QSpinBox>("spinBox")->setValue(250);
    click("btnAutoFound");
    const std::set<Site> found = listed();
    for (const Site& s : stuck)
        EXPECT_TRUE(found.count(s)) << s.first << "," << s.second;
    const DeadPixelList& list = dialog_->deadPixels().list();
    for (int i = 0; i < list.count(); ++i)
        EXPECT_GE(list.at(i).brightness, 250);
    EXPECT_EQ(settings_->qsettings().value("Image/DPThreshold").toInt(), 250);
    EXPECT_TRUE(stored().empty()) << "Auto Find starts with an empty camera list";

    click("btnWEEPROM");
    EXPECT_EQ(stored(), found);
    // The image pipeline now repairs them.
    const QImage repaired = still(true);
    for (const Site& s : stuck)
        EXPECT_LT(qGray(repaired.pixel(s.first, s.second)), 250) << s.first << "," << s.second;

    // After reopening the camera, a new dialog shows the stored list and the saved threshold.
    CameraFree(0);
    ASSERT_TRUE(CameraInit(0));
    ASSERT_TRUE(CameraSetResolution(0, 0, nullptr, nullptr, nullptr));
    open(still(true));
    EXPECT_EQ(listed(), found);
    EXPECT_EQ(child<QSpinBox>("spinBox")->value(), 250);
    EXPECT_EQ(text("lbNumber"), QString("(%1)").arg(found.size()));

    click("btnClearEEPROM");
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(text("lbNumber"), "(0)");
    EXPECT_TRUE(reports_.empty());
}

TEST_F(HistogramDialogTest, MirroredPicturesAreConvertedToSensorPositions) {
    auto firmware = plug("303B");
    ASSERT_TRUE(firmware);
    ASSERT_TRUE(CameraSetMirrorX(0, true));
    ASSERT_TRUE(CameraSetRotate(0, true));
    const SensorGeometry geometry = *SensorGeometry::ofCamera(0);
    open(still(true));
    EXPECT_EQ(dialog_->image().size(), QSize(480, 752));
    child<QSpinBox>("spinBox")->setValue(250);
    click("btnAutoFound");
    const std::set<Site> found = listed();
    for (const auto& s : firmware->stuckSites()) {
        const QPoint shown = geometry.toDisplay(QPoint(s.x, s.y));
        EXPECT_TRUE(found.count({shown.x(), shown.y()})) << s.x << "," << s.y;
    }
    click("btnWEEPROM");
    const std::set<Site> inCamera = stored();
    for (const auto& s : firmware->stuckSites())
        EXPECT_TRUE(inCamera.count({s.x, s.y})) << s.x << "," << s.y;
}

TEST_F(HistogramDialogTest, SmallerResolutionIsRefusedAndKeepsTheCameraList) {
    auto firmware = plug("303B");
    ASSERT_TRUE(firmware);
    const std::vector<unsigned int> one{1, 100, 200};
    ASSERT_TRUE(CameraSaveDeadpixel(0, one.data()));
    ASSERT_GT(CameraGetResolutionCount(0), 1);
    ASSERT_TRUE(CameraSetResolution(0, 1, nullptr, nullptr, nullptr));
    open(still(true));
    EXPECT_FALSE(dialog_->deadPixels().stillIsFullFrame());
    EXPECT_EQ(listed(), (std::set<Site>{{100, 200}})) << "shown as stored";
    click("btnAutoFound");
    click("btnWEEPROM");
    pressOnImage(5, 5);
    click("btnSaveDeadPixel");
    EXPECT_EQ(prompts_.boxes.size(), 3u);
    EXPECT_TRUE(prompts_.boxes.value(0).startsWith("notice: "));
    EXPECT_TRUE(prompts_.boxes.value(0).contains("largest resolution without ROI"));
    EXPECT_EQ(stored(), (std::set<Site>{{100, 200}}));
}

TEST_F(HistogramDialogTest, SixtyThreePixelsAreStoredAndTheSixtyFourthRefused) {
    ASSERT_TRUE(openOnCamera());
    std::set<Site> picked;
    for (int i = 0; i < 64; ++i) {
        pressOnImage(3 + 5 * i, 7 + 3 * i);
        click("btnSaveDeadPixel");
        picked.insert({2 + 5 * i, 6 + 3 * i});
    }
    ASSERT_EQ(dialog_->deadPixels().list().count(), 64);
    click("btnWEEPROM");
    EXPECT_EQ(prompts_.boxes, QStringList{"notice: You just can add 63 points dead pixels."});
    EXPECT_TRUE(stored().empty());

    clickListItem(63);
    click("ClearDeadPixel");
    picked.erase({2 + 5 * 63, 6 + 3 * 63});
    click("btnWEEPROM");
    EXPECT_EQ(stored(), picked);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(HistogramDialogTest, AHundredEntriesAreTheLimitOfTheList) {
    ASSERT_TRUE(openOnCamera());
    for (int i = 0; i < 101; ++i) {
        pressOnImage(3 + 7 * i, 3 + 4 * i);
        click("btnSaveDeadPixel");
    }
    EXPECT_EQ(dialog_->deadPixels().list().count(), 100);
    EXPECT_EQ(text("lbNumber"), "(100)");
    ASSERT_EQ(prompts_.boxes.size(), 1);
    EXPECT_TRUE(prompts_.boxes[0].contains("100 pixels already"));
}

TEST_F(HistogramDialogTest, UnpluggedCameraOnlyLogsTheFailures) {
    ASSERT_TRUE(openOnCamera());
    pressOnImage(11, 11);
    click("btnSaveDeadPixel");
    unplug();
    reports_.clear();
    click("btnWEEPROM");
    click("btnClearEEPROM");
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[0].function, "CameraSaveDeadpixel");
    EXPECT_NE(reports_[0].error, 0);
    EXPECT_EQ(reports_[1].function, "CameraSaveDeadpixel");
}

TEST_F(HistogramDialogTest, StoredThresholdOutsideItsRangeFallsBackToTheDefault) {
    auto firmware = plug("303B");
    ASSERT_TRUE(firmware);
    const std::vector<unsigned int> one{1, 100, 200};
    ASSERT_TRUE(CameraSaveDeadpixel(0, one.data()));
    for (const QVariant& value : {QVariant(0), QVariant(300), QVariant("abc")}) {
        settings_->qsettings().setValue("Image/DPThreshold", value);
        open(still(true));
        EXPECT_EQ(child<QSpinBox>("spinBox")->value(), DeadPixelEditor::kDefaultThreshold)
            << value.toString().toStdString();
    }
    settings_->qsettings().setValue("Image/DPThreshold", 120);
    open(still(true));
    EXPECT_EQ(child<QSpinBox>("spinBox")->value(), 120);
}

}  // namespace
