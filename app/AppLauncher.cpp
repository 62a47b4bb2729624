// SPDX-License-Identifier: MIT
// Runs the program inside an application object: instance guard, main window, event loop.
#include "AppLauncher.h"

#include <QApplication>
#include <cstdio>
#include <memory>

#include "AppOptions.h"
#include "GuiLog.h"
#include "LiveMeasurement.h"
#include "MainWindow.h"
#include "SingleInstanceGuard.h"
#include "TerminationSignals.h"
#include "UserPrompts.h"
#include "VideoPipeline.h"

namespace {

// Counted from a fresh start of the stream: frames made before the count began (in the
// transfer ring, the frame queue or on their way to the window) would otherwise count as
// captured or displayed without ever counting as made.
std::unique_ptr<LiveMeasurement> startMeasurement(MainWindow& window, int seconds) {
    window.pauseVideo();
    VideoPipeline& pipeline = *window.videoPipeline();
    pipeline.releaseCamera();
    pipeline.clearQueue();
    QCoreApplication::sendPostedEvents();
    auto measurement = std::make_unique<LiveMeasurement>(pipeline, seconds);
    window.streamVideo();
    return measurement;
}

}  // namespace

QString AppLauncher::instanceKey() {
    const QString override = qEnvironmentVariable("VIDSCOPE_INSTANCE_KEY");
    return override.isEmpty() ? QString::fromLatin1(SingleInstanceGuard::kDefaultKey) : override;
}

bool AppLauncher::canAskUser(const QString& platformName, const AppOptions& options) {
    // A timed measurement is run from scripts, and the offscreen and minimal platforms have
    // no screen: a modal box there would wait for a click that never comes.
    const bool screenless =
        platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal");
    return !screenless && options.measureSeconds <= 0;
}

void AppLauncher::refuseSecondStart(const AppOptions& options) {
    std::fprintf(stderr, "vidscope: %s\n", kAlreadyRunning);
    std::fflush(stderr);
    if (canAskUser(QGuiApplication::platformName(), options))
        showAlreadyRunning();
}

void AppLauncher::showAlreadyRunning() {
    UserPrompts::instance().warning(nullptr, QString::fromLatin1(kInfoTitle),
                                    QString::fromLatin1(kAlreadyRunning));
}

int AppLauncher::run(QApplication& app, const AppOptions& options) {
    // Ctrl+C in the terminal or a session's SIGTERM close the window as the user would, so
    // the camera is freed and the single-instance segment given back. Installed before the
    // segment is taken, so that no signal can end the program while it holds the segment;
    // a signal is acted on once the event loop runs.
    auto termination = std::make_unique<TerminationSignals>();
    SingleInstanceGuard guard(instanceKey());
    if (!guard.acquire()) {
        // Nothing to clean up: the signals may end the refusal the ordinary way.
        termination.reset();
        refuseSecondStart(options);
        return 0;
    }
    auto window = std::make_unique<MainWindow>();
    QObject::connect(termination.get(), &TerminationSignals::received, window.get(), [&window] {
        window->close();
        QCoreApplication::quit();
    });
    window->show();
    std::unique_ptr<LiveMeasurement> measurement;
    if (options.measureSeconds > 0)
        measurement = startMeasurement(*window, options.measureSeconds);
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
