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
#include "RecordingPrompts.h"
#include "ShellTestSupport.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

class RecordingWindowFixture : public ::testing::Test {
protected:
    void open(const char* cameras, const QString& filePath) {
        dir_.writeSettings({{"Language/Lang", 1}, {"File/Path", filePath}, {"File/Type", 2}});
        ports_ = vidscope::host::Driver::instance().attachVirtualCameras(cameras);
        ASSERT_FALSE(ports_.empty());
        window_ = std::make_unique<MainWindow>();
        window_->show();
        ASSERT_TRUE(waitForFrames(2));
    }
    void TearDown() override {
        window_.reset();
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
    RecordingPrompts prompts_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::unique_ptr<MainWindow> window_;
};
