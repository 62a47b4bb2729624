// SPDX-License-Identifier: MIT
// The main window's diagnostic dialogs: histogram, register access and IO control.
#include "DiagnosticWindows.h"

#include <QAction>

#include "AppSettings.h"
#include "CameraController.h"
#include "Histogram.h"
#include "IOControl.h"
#include "MainWindow.h"
#include "RWRegister.h"
#include "UserPrompts.h"
#include "VideoPipeline.h"

DiagnosticWindows::DiagnosticWindows(MainWindow& window) : QObject(&window), window_(window) {
    histogram_ = new Histogram(window.settings(), &window);
    rwRegister_ = new RWRegister(&window);
    ioControl_ = new IOControl(&window, window.settings().fileName());
    rwRegister_->managementEnabled = window.settings().managementEnabled();

    connect(histogram_, &Histogram::toTable, &window, &MainWindow::toTable);
    connect(rwRegister_, &RWRegister::toTable, &window, &MainWindow::toTable);
    connect(ioControl_, &IOControl::toTable, &window, &MainWindow::toTable);
    connect(ioControl_, &IOControl::mainTitleChanged, &window, &QWidget::setWindowTitle);

    // The camera controller does not exist yet: connectCamera() follows once it does.
    if (auto* action = window.findChild<QAction*>(QStringLiteral("actionHistogram")))
        connect(action, &QAction::triggered, this, &DiagnosticWindows::showHistogram);
    connectAction("actionR_W_Register", rwRegister_);
    connectAction("actionIO_Control", ioControl_);
}

void DiagnosticWindows::connectCamera(CameraController& controller) {
    connect(&controller, &CameraController::cameraChanged, ioControl_, &IOControl::cameraChanged);
    connect(&controller, &CameraController::cameraChanged, rwRegister_, &RWRegister::cameraChanged);
    connect(&controller, &CameraController::resolutionApplied, ioControl_,
            &IOControl::reapplyTriggerMode);
}

void DiagnosticWindows::connectAction(const char* name, QWidget* dialog) {
    if (auto* action = window_.findChild<QAction*>(QLatin1String(name)))
        connect(action, &QAction::triggered, dialog, [dialog] {
            dialog->show();
            dialog->raise();
            dialog->activateWindow();
        });
}

void DiagnosticWindows::showHistogram() {
    if (window_.videoPipeline()->liveItem() == nullptr) {
        UserPrompts::instance().notice(&window_, tr("Notice"), tr("Please play the video!"));
        return;
    }
    histogram_->setImage(window_.videoPipeline()->displayedImage());
    histogram_->computeHistogram();
    histogram_->raise();
    histogram_->activateWindow();
}
