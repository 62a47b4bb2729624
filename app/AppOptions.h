// SPDX-License-Identifier: MIT
// The program's command-line options.
#pragma once

#include <QString>
#include <QStringList>

struct AppOptions {
    // The longest --measure run: a day, far inside what a millisecond timer can count.
    static constexpr int kMaxMeasureSeconds = 86400;

    // Comma-separated device codes of virtual cameras to attach ("3E00,0500"); empty for none.
    QString virtualCameras;
    // Seconds of streaming after which the frame counts are printed and the program ends;
    // 0 for a normal interactive run.
    int measureSeconds = 0;
    bool showHelp = false;
    // Set when the arguments could not be understood; says why.
    QString error;

    // Parses the arguments, program name first.
    static AppOptions parse(const QStringList& arguments);
    static QString usage();
};
