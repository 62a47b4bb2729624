// SPDX-License-Identifier: MIT
// Helpers of the diagnostic-dialog tests: answered prompts, a virtual camera, still pictures.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "AppGlobals.h"
#include "RecordingPrompts.h"
#include "sim/CameraFirmware.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"
#include "vidscope/camera_api.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// One API report (function, error code) as the dialogs emit them.
struct Report {
    QString function;
    int error;
    bool operator==(const Report&) const = default;
};

// A private working directory (settings file, camera EEPROMs) and one virtual camera opened
// as camera 0 through the API.
class VirtualCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        qputenv("VIDSCOPE_VIRTUAL_DIR", dir_.path().toLocal8Bit());
        currentCamera.store(0);
    }

    void TearDown() override {
        CameraFree(0);
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
        QDir::setCurrent(previous_);
        autoTrigger.store(false);
        saveSnapshotInTrigger.store(false);
    }

    // Attaches and opens the camera; returns its firmware.
    std::shared_ptr<vidscope::sim::CameraFirmware> plug(const char* code) {
        auto& driver = vidscope::host::Driver::instance();
        const auto ids = driver.attachVirtualCameras(code);
        EXPECT_EQ(ids.size(), 1u);
        if (ids.empty())
            return nullptr;
        ports_.push_back(ids[0]);
        EXPECT_TRUE(CameraInit(0)) << CameraGetLastError();
        // What the window does after opening: the full frame, so that camera and API agree.
        EXPECT_TRUE(CameraSetResolution(0, 0, nullptr, nullptr, nullptr));
        auto port = std::dynamic_pointer_cast<vidscope::host::VirtualPort>(driver.port(ids[0]));
        return port ? port->firmware() : nullptr;
    }

    void unplug() {
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
        ports_.clear();
    }

    // One processed frame as the live view shows it: 8-bit grey for monochrome cameras
    // (format 2), RGB32 otherwise.
    static QImage still(bool grey) {
        unsigned int w = 0, h = 0;
        EXPECT_TRUE(CameraGetImageSize(0, &w, &h));
        const unsigned int format =
            grey ? CAMERA_FORMAT_GRAY8
                 : CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES | CAMERA_FORMAT_BLUE_FIRST;
        QImage image(int(w), int(h), grey ? QImage::Format_Indexed8 : QImage::Format_RGB32);
        if (grey) {
            QList<QRgb> table;
            for (int i = 0; i < 256; ++i)
                table << qRgb(i, i, i);
            image.setColorTable(table);
        } else {
            image.fill(qRgb(0, 0, 0));  // the fourth byte stays opaque
        }
        unsigned int size = 0;
        EXPECT_TRUE(CameraGetImageBufferSize(0, &size, format));
        EXPECT_EQ(size, uint(image.sizeInBytes()));
        if (!CameraPlay(0))
            return {};
        // The first frames may still carry the exposure loop's start; any full frame will do.
        bool ok = false;
        for (int attempt = 0; attempt < 20 && !ok; ++attempt)
            ok = CameraQueryImage(0, image.bits(), size, format);
        EXPECT_TRUE(ok) << CameraGetLastError();
        CameraStop(0);
        return image;
    }

    QTemporaryDir dir_;
    QString previous_;
    std::vector<vidscope::host::Driver::PortId> ports_;
};
