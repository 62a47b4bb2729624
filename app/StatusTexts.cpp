// SPDX-License-Identifier: MIT
// The texts of the status-bar fields the live video fills: statistics, bus speed, pixel readout.
#include "StatusTexts.h"

#include <QLocale>

namespace StatusTexts {

QString statistics(double fps, int dropped, qint64 elapsedSeconds, std::optional<int> brightness,
                   std::optional<double> exposureMs) {
    const qint64 hours = elapsedSeconds / 3600;
    const qint64 minutes = (elapsedSeconds - hours * 3600) / 60;
    const qint64 seconds = elapsedSeconds % 60;
    const QChar zero('0');
    return QStringLiteral("fps: %1 dropped: %5 elasped: [%2:%3:%4] avg: %6 exposure: %7ms")
        .arg(fps, 0, 'f', 2)
        .arg(hours, 2, 10, zero)
        .arg(minutes, 2, 10, zero)
        .arg(seconds, 2, 10, zero)
        .arg(dropped)
        .arg(brightness ? QString::number(*brightness) : QStringLiteral("-"))
        .arg(exposureMs ? QString::number(*exposureMs, 'f', 3) : QStringLiteral("-"));
}

QString usb(unsigned int speed) {
    return QStringLiteral("USB%1.0").arg(speed);
}

QString pixel(double x, double y, QRgb rgb) {
    return QStringLiteral("Pos(%1,%2)   Rgb(%3,%4,%5)   Gray:%6")
        .arg(QString::number(x, 'g', QLocale::FloatingPointShortest),
             QString::number(y, 'g', QLocale::FloatingPointShortest))
        .arg(qRed(rgb))
        .arg(qGreen(rgb))
        .arg(qBlue(rgb))
        .arg(grey(rgb));
}

int grey(QRgb rgb) {
    return (qRed(rgb) * 11 + qGreen(rgb) * 16 + qBlue(rgb) * 5) / 32;
}

}  // namespace StatusTexts
