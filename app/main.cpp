// SPDX-License-Identifier: MIT
// Entry point of the vidScope application: options, virtual cameras, then the window.
#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "AppLauncher.h"
#include "AppOptions.h"
#include "CoreLogBridge.h"
#include "vidscope/camera_api.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // Options are read before the application object exists so that --help works without a
    // display.
    const AppOptions options = AppOptions::parse(arguments);
    if (options.showHelp) {
        std::fputs(qPrintable(AppOptions::usage()), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "vidscope: %s\n\n%s", qPrintable(options.error),
                     qPrintable(AppOptions::usage()));
        return 2;
    }

    CoreLogBridge::install();
    if (!options.virtualCameras.isEmpty() &&
        CameraAttachVirtual(options.virtualCameras.toLatin1().constData()) <= 0) {
        std::fprintf(stderr, "vidscope: no virtual camera of the codes %s could be attached\n",
                     qPrintable(options.virtualCameras));
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vidScope"));
    return AppLauncher::run(app, options);
}
