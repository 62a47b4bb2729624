// SPDX-License-Identifier: MIT
// A live-video rig without the main window: pipeline, camera controller, boxes and virtual cameras.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGraphicsScene>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

#include "AppSettings.h"
#include "CameraController.h"
#include "ShellTestSupport.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

class LiveVideoFixture : public ::testing::Test {
protected:
    struct LogRow {
        QString text;
        int number;
    };

    void SetUp() override {
        ASSERT_TRUE(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(workDir_.path());
        // Camera EEPROMs (saved parameter groups) stay private to this test.
        qputenv("VIDSCOPE_VIRTUAL_DIR", workDir_.path().toLocal8Bit());
        settings_ = std::make_unique<AppSettings>();
    }

    void TearDown() override {
        if (controller_)
            controller_->shutdown();
        controller_.reset();
        pipeline_.reset();
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
        QDir::setCurrent(previousDir_);
    }

    void attach(const char* codes) {
        for (auto id : vidscope::host::Driver::instance().attachVirtualCameras(codes))
            ports_.push_back(id);
    }

    // Paced as a real camera, whatever the test environment asks of the others.
    void attachPaced(const char* codes) {
        const QByteArray unpaced = qgetenv("VIDSCOPE_VIRTUAL_UNPACED");
        qputenv("VIDSCOPE_VIRTUAL_UNPACED", "0");
        attach(codes);
        qputenv("VIDSCOPE_VIRTUAL_UNPACED", unpaced);
    }

    void detachAll() {
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
        ports_.clear();
    }

    // What the main window does at start-up: build, enumerate, start.
    void startUp() {
        build();
        start();
    }

    void build() {
        pipeline_ = std::make_unique<VideoPipeline>(*settings_, scene_);
        controller_ = std::make_unique<CameraController>(
            *pipeline_, CameraWidgets{&cameraBox_, &resolutionBox_, &pause_, &single_, &open_});
        auto record = [this](QString text, int number) { log_.push_back({text, number}); };
        QObject::connect(controller_.get(), &CameraController::toTable, record);
        QObject::connect(pipeline_.get(), &VideoPipeline::toTable, record);
    }

    void start() {
        if (controller_->enumerateDevice())
            controller_->streamVideo();
    }

    // Runs the event loop until `done` holds or `ms` pass.
    static bool waitFor(const std::function<bool()>& done, int ms = 10000) {
        return spinUntil(done, ms);
    }

    bool waitForFrames(long long more, int ms = 10000) {
        const long long target = pipeline_->displayedFrames() + more;
        return waitFor([&] { return pipeline_->displayedFrames() >= target; }, ms);
    }

    int count(const QString& text, int number) const {
        int n = 0;
        for (const LogRow& row : log_)
            n += row.text == text && row.number == number;
        return n;
    }

    QTemporaryDir workDir_;
    QString previousDir_;
    std::unique_ptr<AppSettings> settings_;
    QGraphicsScene scene_;
    QComboBox cameraBox_;
    QComboBox resolutionBox_;
    QAction pause_{"Pa&use"};
    QAction single_{"Single Capture"};
    QAction open_{"Open"};
    std::unique_ptr<VideoPipeline> pipeline_;
    std::unique_ptr<CameraController> controller_;
    std::vector<LogRow> log_;
    std::vector<vidscope::host::Driver::PortId> ports_;
};
