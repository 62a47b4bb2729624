// SPDX-License-Identifier: MIT
// Runs the program inside an application object: instance guard, main window, event loop.
#include "AppLauncher.h"

#include <QApplication>
#include <QMessageBox>
#include <memory>

#include "AppOptions.h"
#include "GuiLog.h"
#include "LiveMeasurement.h"
#include "MainWindow.h"
#include "SingleInstanceGuard.h"

QString AppLauncher::instanceKey() {
    const QString override = qEnvironmentVariable("VIDSCOPE_INSTANCE_KEY");
    return override.isEmpty() ? QString::fromLatin1(SingleInstanceGuard::kDefaultKey) : override;
}

void AppLauncher::showAlreadyRunning() {
    QMessageBox::warning(nullptr, QString::fromLatin1(kInfoTitle),
                         QString::fromLatin1(kAlreadyRunning), QMessageBox::Ok);
}

int AppLauncher::run(QApplication& app, const AppOptions& options) {
    SingleInstanceGuard guard(instanceKey());
    if (!guard.acquire()) {
        showAlreadyRunning();
        return 0;
    }
    auto window = std::make_unique<MainWindow>();
    window->show();
    std::unique_ptr<LiveMeasurement> measurement;
    if (options.measureSeconds > 0) {
        measurement =
            std::make_unique<LiveMeasurement>(*window->videoPipeline(), options.measureSeconds);
    }
    // The loop's own result carries nothing the caller could act on: a window close is the
    // only way out, and that is a normal end.
    (void)app.exec();
    // A quit that did not come from closing the window (the measurement's end) still has to
    // run the close sequence; after a normal close this finds nothing left to do.
    window->close();
    measurement.reset();
    guard.release();
    window.reset();
    return 0;
}
