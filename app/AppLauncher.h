// SPDX-License-Identifier: MIT
// Runs the program inside an application object: instance guard, main window, event loop.
#pragma once

#include <QString>

class QApplication;
struct AppOptions;

class AppLauncher {
public:
    static constexpr const char* kInfoTitle = "Info";
    static constexpr const char* kAlreadyRunning = "The program have been running already.";

    // The shared-memory key of the single-instance guard. Tests running in parallel set
    // VIDSCOPE_INSTANCE_KEY so that they do not refuse each other; everyone else gets the
    // program's own key.
    static QString instanceKey();

    // Returns the program's exit status: 0 both after a normal run and after refusing a
    // second instance.
    static int run(QApplication& app, const AppOptions& options);

    // The box a refused second instance shows; returns when the user dismisses it.
    static void showAlreadyRunning();
    // Whether a refused start may ask with a box: not without a screen, not in a timed
    // measurement. The refusal is always written to standard error as well.
    static bool canAskUser(const QString& platformName, const AppOptions& options);
    static void refuseSecondStart(const AppOptions& options);
};
