// SPDX-License-Identifier: MIT
// Helpers of the shell tests: a private working directory and the message log's rows.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <utility>
#include <vector>

// Every test gets its own working directory, so "./setting.ini" is its own.
class ScopedWorkDir {
public:
    ScopedWorkDir() : previous_(QDir::currentPath()) {
        EXPECT_TRUE(dir_.isValid());
        QDir::setCurrent(dir_.path());
    }
    ~ScopedWorkDir() { QDir::setCurrent(previous_); }

    QString path() const { return dir_.path(); }

    // Writes keys into the settings file before the window reads it.
    void writeSettings(const std::vector<std::pair<QString, QVariant>>& values) const {
        writeSettingsTo(dir_.path(), values);
    }
    static void writeSettingsTo(const QString& dir,
                                const std::vector<std::pair<QString, QVariant>>& values) {
        QSettings ini(QDir(dir).filePath("setting.ini"), QSettings::IniFormat);
        for (const auto& [key, value] : values) {
            ini.setValue(key, value);
        }
        ini.sync();
    }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// The texts of one column of the log table, top row first.
inline QStringList logColumn(const QTableWidget& table, int column) {
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row) {
        const QTableWidgetItem* item = table.item(row, column);
        texts << (item ? item->text() : QString());
    }
    return texts;
}

// Runs the event loop until `done` holds or `ms` pass.
// A wait bounds a hang and checks no speed, so the slower instrumented builds wait longer.
#ifdef VIDSCOPE_SANITIZER_BUILD
inline constexpr int kWaitScale = 4;
#else
inline constexpr int kWaitScale = 1;
#endif

inline bool spinUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > qint64(ms) * kWaitScale) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
