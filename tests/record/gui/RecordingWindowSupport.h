// SPDX-License-Identifier: MIT
// The main window on a virtual camera, with the operator's answers to prompts scripted.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <memory>

#include "AviThread.h"
#include "DockMessage.h"
#include "MainWindow.h"
#include "RecordingController.h"
#include "ShellTestSupport.h"
#include "UserPrompts.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

// Records every warning and answers file and folder choosers with what the test set.
class ScriptedPrompts final : public UserPrompts {
public:
    void notice(QWidget*, const QString& title, const QString& text) override {
        shown << title + QStringLiteral(": ") + text;
    }
    void warning(QWidget*, const QString& title, const QString& text) override {
        shown << title + QStringLiteral(": ") + text;
    }
    QMessageBox::StandardButton question(QWidget*, const QString&, const QString&,
                                         QMessageBox::StandardButtons,
                                         QMessageBox::StandardButton fallback) override {
        return fallback;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& dir,
                         const QString&) override {
        asked << caption + QStringLiteral(" | ") + dir;
        return fileAnswer;
    }
    QString existingDirectory(QWidget*, const QString& caption, const QString&) override {
        asked << caption;
        return folderAnswer;
    }

    QStringList shown;
    QStringList asked;
    QString fileAnswer;
    QString folderAnswer;
};

class RecordingWindowFixture : public ::testing::Test {
protected:
    void open(const char* cameras, const QString& filePath) {
        dir_.writeSettings({{"Language/Lang", 1}, {"File/Path", filePath}, {"File/Type", 2}});
        ports_ = vidscope::host::Driver::instance().attachVirtualCameras(cameras);
        ASSERT_FALSE(ports_.empty());
        UserPrompts::setInstance(&prompts_);
        window_ = std::make_unique<MainWindow>();
        window_->show();
        ASSERT_TRUE(waitForFrames(2));
    }
    void TearDown() override {
        window_.reset();
        UserPrompts::setInstance(nullptr);
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
    }

    bool waitForFrames(long long more, int ms = 15000) {
        VideoPipeline* pipeline = window_->videoPipeline();
        const long long target = pipeline->displayedFrames() + more;
        return spinUntil([&] { return pipeline->displayedFrames() >= target; }, ms);
    }
    QAction* action(const char* name) const { return window_->findChild<QAction*>(name); }
    QString captureText() const { return window_->captureLabel()->text(); }
    QStringList avisIn(const QString& folder) const {
        return QDir(folder).entryList({QStringLiteral("*.avi")}, QDir::Files);
    }
    QStringList logTexts() const { return logColumn(*window_->dockMessage()->table(), 1); }

    ScopedWorkDir dir_;
    ScriptedPrompts prompts_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::unique_ptr<MainWindow> window_;
};
