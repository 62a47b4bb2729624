// SPDX-License-Identifier: MIT
// Helpers of the settings tests: virtual cameras in a private folder, answered prompts, API log.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "AppGlobals.h"
#include "tests/app/RecordingPrompts.h"
#include "usb/host/Driver.h"
#include "vidscope/camera_api.h"

// A private working folder (its own "./setting.ini" and camera EEPROMs) and virtual cameras
// that are detached again at the end.
class CameraWorkspace {
public:
    CameraWorkspace() : previous_(QDir::currentPath()) {
        EXPECT_TRUE(dir_.isValid());
        QDir::setCurrent(dir_.path());
        qputenv("VIDSCOPE_VIRTUAL_DIR", dir_.path().toLocal8Bit());
    }
    ~CameraWorkspace() {
        closeAll();
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
        QDir::setCurrent(previous_);
        currentCamera.store(0);
        imageFormat.store(4);
    }

    // Attaches the cameras ("0500,012B") and opens the first as the current camera.
    bool open(const char* codes, int index = 0) {
        for (auto id : vidscope::host::Driver::instance().attachVirtualCameras(codes))
            ports_.push_back(id);
        return openIndex(index);
    }
    bool openIndex(int index) {
        closeAll();
        if (!CameraInit(index))
            return false;
        opened_.push_back(index);
        currentCamera.store(index);
        return true;
    }
    void closeAll() {
        for (int index : opened_)
            CameraFree(index);
        opened_.clear();
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::vector<int> opened_;
};

// The reports a window sent through toTable, as "Function:code".
struct ApiLog {
    void add(const QString& function, int error) {
        rows << QStringLiteral("%1:%2").arg(function).arg(error);
    }
    QStringList rows;
};

inline unsigned int sensorRegister(unsigned short address) {
    unsigned int value = 0;
    EXPECT_TRUE(CameraReadSCCB(currentCamera.load(), 0, address, &value, 0));
    return value;
}
