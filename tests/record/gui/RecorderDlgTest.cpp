// SPDX-License-Identifier: MIT
// The Recorder window driven through its own widgets: limit, record, browse, save.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>

#include "FfmpegTools.h"
#include "LiveImageItem.h"
#include "RecorderDlg.h"
#include "RecordingWindowSupport.h"

namespace {

class RecorderDlgTest : public RecordingWindowFixture {
protected:
    void showRecorder() {
        action("actionRecord_Sequence")->trigger();
        dlg_ = window_->recorderDlg();
        ASSERT_TRUE(dlg_->isVisible());
        EXPECT_EQ(dlg_->windowTitle(), QStringLiteral("Recorder"));
    }
    template <typename T>
    T* child(const char* name) const {
        T* widget = dlg_->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void setCount(const QString& text) {
        QLineEdit* edit = child<QLineEdit>("leCount");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::mouseClick(child<QPushButton>("btnSet"), Qt::LeftButton);
    }
    void click(const char* button) {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    bool videoStreaming() const { return window_->pauseAction()->isEnabled(); }

    RecorderDlg* dlg_ = nullptr;
};

TEST(RecorderLimit, OnePointFiveGigabytesCountedAtThreeBytesPerColourPixel) {
    EXPECT_EQ(RecorderDlg::bufferLimit(1280, 960, 3), 406);
    EXPECT_EQ(RecorderDlg::bufferLimit(4384, 3288, 3), 34);
    EXPECT_EQ(RecorderDlg::bufferLimit(640, 480, 1), 4882);
    EXPECT_EQ(RecorderDlg::bufferLimit(0, 480, 1), 0);
}

// Before any picture the size is unknown: Set explains and changes nothing.
TEST_F(RecorderDlgTest, SetBeforeAnyImageAsksToPlayFirst) {
    window_ = std::make_unique<MainWindow>();  // no camera attached: no picture ever
    showRecorder();
    setCount(QStringLiteral("50"));
    EXPECT_EQ(prompts_.boxes,
              QStringList{"Warning: Please play to video to determine the image size."});
    EXPECT_EQ(window_->aviThread()->maxFrames(), AviThread::kDefaultMaxFrames);
    EXPECT_EQ(child<QLabel>("lblCount")->text(), QStringLiteral("99"));
}

TEST_F(RecorderDlgTest, SetCutsTheCountTo406For1280x960Colour) {
    open("3120", dir_.path());
    showRecorder();
    EXPECT_EQ(child<QLabel>("lblCount")->text(), QStringLiteral("99"));
    setCount(QStringLiteral("500"));
    EXPECT_EQ(prompts_.boxes,
              QStringList{"Warning: Maximun buffer count limited to 406 within 1.5GB memory."});
    EXPECT_EQ(child<QLineEdit>("leCount")->text(), QStringLiteral("406"));
    EXPECT_EQ(child<QLabel>("lblCount")->text(), QStringLiteral("406"));
    EXPECT_EQ(child<QSlider>("hsFrame")->maximum(), 405);
    EXPECT_EQ(window_->aviThread()->maxFrames(), 406);

    prompts_.boxes.clear();
    setCount(QStringLiteral("0"));
    EXPECT_EQ(prompts_.boxes.size(), 1) << "a count of 0 is refused";
    EXPECT_EQ(window_->aviThread()->maxFrames(), 406);
    // Letters never reach the field.
    QLineEdit* edit = child<QLineEdit>("leCount");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("1x2"));
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
}

// Record fills the store and pauses the video when it is full; browsing shows stored frames
// without storing them again; pictures and the AVI come out oldest first.
TEST_F(RecorderDlgTest, RecordBrowseAndSave) {
    open("3120", dir_.path());
    showRecorder();
    setCount(QStringLiteral("3"));
    window_->pauseVideo();
    click("btnRecord");
    EXPECT_TRUE(window_->recordingController()->sequenceRecording());
    ASSERT_TRUE(spinUntil([&] { return !videoStreaming(); })) << "paused when full";
    AviThread* store = window_->aviThread();
    EXPECT_EQ(store->frameCount(), 3);
    EXPECT_FALSE(window_->recordingController()->sequenceRecording());
    EXPECT_EQ(child<QProgressBar>("pbBuffer")->value(), 100);

    prompts_.boxes.clear();
    click("btnRecord");
    EXPECT_EQ(prompts_.boxes, QStringList{"Warning: Buffer is full!"});

    QSlider* slider = child<QSlider>("hsFrame");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(child<QLabel>("lblFrame")->text(), QStringLiteral("1"));
    EXPECT_EQ(window_->videoPipeline()->displayedImage(), store->frameAt(1).image);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d\d:\d\d:\d\d\d$)"))
                    .match(child<QLabel>("lblTime")->text())
                    .hasMatch());
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(window_->videoPipeline()->displayedImage(), store->frameAt(2).image);
    EXPECT_EQ(store->frameCount(), 3) << "played-back frames are not stored again";

    // Save Sequence: File/Type 2 gives 0.png 1.png 2.png, oldest first.
    const QString folder = dir_.path() + QStringLiteral("/seq");
    ASSERT_TRUE(QDir().mkpath(folder));
    prompts_.fileName = folder;
    click("btnSaveSequence");
    ASSERT_TRUE(spinUntil([&] { return !store->isSaving(); }));
    ASSERT_TRUE(spinUntil([&] { return videoStreaming(); })) << "the video resumes after saving";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              (QStringList{"0.png", "1.png", "2.png"}));
    EXPECT_EQ(QImage(folder + "/0.png").convertToFormat(QImage::Format_RGB32),
              store->frameAt(0).image.convertToFormat(QImage::Format_RGB32));

    // Save Avi: proposed "sample.avi"; three frames; the status shows the counts.
    const QString avi = dir_.path() + QStringLiteral("/seq/sample.avi");
    prompts_.fileName = avi;
    click("btnSaveAvi");
    EXPECT_TRUE(prompts_.choosers.contains(QStringLiteral("Save Avi File | sample.avi | ")));
    ASSERT_TRUE(spinUntil([&] {
        return window_->captureLabel()->text() == QStringLiteral("Saved. total 3 dropped 0");
    })) << window_->captureLabel()->text().toStdString();
    auto info = avitest::probe(avi.toStdString());
    EXPECT_EQ(info["nb_read_packets"], "3");
    EXPECT_EQ(info["width"], "1280");
    EXPECT_EQ(avitest::decodeErrors(avi.toStdString()), "");
    EXPECT_EQ(store->frameCount(), 3) << "the frames stay in memory";

    // A video cannot start while the store holds frames; Free gives them back.
    prompts_.boxes.clear();
    action("actionStart_Capture")->trigger();
    EXPECT_FALSE(window_->recordingController()->aviCapturing());
    EXPECT_EQ(prompts_.boxes.size(), 1);
    click("btnFree");
    EXPECT_EQ(store->frameCount(), 0);
    EXPECT_EQ(child<QProgressBar>("pbBuffer")->value(), 0);
}

}  // namespace
