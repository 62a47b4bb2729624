// SPDX-License-Identifier: MIT
// Tests of the single-instance guard, including the program's own key against a real run.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <csignal>

#include "AppLauncher.h"
#include "AppOptions.h"
#include "MainWindow.h"
#include "ShellTestSupport.h"
#include "SingleInstanceGuard.h"

namespace {

// A key no other test process uses.
QString privateKey(const char* what) {
    return QStringLiteral("vidScope-test-%1-%2").arg(what).arg(QCoreApplication::applicationPid());
}

TEST(SingleInstanceGuardTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    const QString key = privateKey("pair");
    SingleInstanceGuard first(key);
    ASSERT_TRUE(first.acquire());
    {
        SingleInstanceGuard second(key);
        EXPECT_FALSE(second.acquire());
        EXPECT_FALSE(second.isHeld());
    }
    // The refused guard's clean-up attempts must not have taken the segment from the holder.
    EXPECT_TRUE(first.isHeld());
    SingleInstanceGuard third(key);
    EXPECT_FALSE(third.acquire());
    first.release();
    EXPECT_TRUE(third.acquire());
}

// Finds the box a refused start shows, checks it and presses its button.
struct RefusalBox {
    QString title;
    QString text;
    bool seen = false;

    void watch() {
        QTimer::singleShot(20, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                watch();
                return;
            }
            seen = true;
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
    }
};

QStringList topLevelMainWindows() {
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<MainWindow*>(widget) != nullptr) {
            names << widget->objectName();
        }
    }
    return names;
}

TEST(SingleInstanceGuardTest, RefusedStartShowsTheInfoBoxAndBuildsNoWindow) {
    ScopedWorkDir dir;
    const QString key = privateKey("refused");
    qputenv("VIDSCOPE_INSTANCE_KEY", key.toLatin1());
    SingleInstanceGuard running(key);
    ASSERT_TRUE(running.acquire());

    RefusalBox box;
    box.watch();
    const int status = AppLauncher::run(*qApp, AppOptions{});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(box.title, "Info");
    EXPECT_EQ(box.text, "The program have been running already.");
    EXPECT_TRUE(topLevelMainWindows().isEmpty());
    EXPECT_TRUE(running.isHeld());
    qunsetenv("VIDSCOPE_INSTANCE_KEY");
}

// The one test that uses the program's real key: a running vidscope refuses a second start
// and keeps running, and once it is killed without cleaning up, the next start succeeds.
TEST(SingleInstanceGuardTest, RealProgramRefusesASecondStartAndItsLeftoverIsCleared) {
    ScopedWorkDir dir;
    dir.writeSettings({{"Language/Lang", 1}});
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("VIDSCOPE_INSTANCE_KEY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(dir.path());
    first.start(VIDSCOPE_APP_BINARY, {"--virtual-camera", "0500"});
    ASSERT_TRUE(first.waitForStarted(10000));

    // The program holds the key once our own guard can no longer take it.
    SingleInstanceGuard probe(QString::fromLatin1(SingleInstanceGuard::kDefaultKey));
    const bool running = spinUntil(
        [&] {
            if (!probe.acquire()) {
                return true;
            }
            probe.release();
            return first.state() != QProcess::Running;
        },
        20000);
    ASSERT_TRUE(running);
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();

    qunsetenv("VIDSCOPE_INSTANCE_KEY");
    RefusalBox box;
    box.watch();
    EXPECT_EQ(AppLauncher::run(*qApp, AppOptions{}), 0);
    EXPECT_EQ(box.text, "The program have been running already.");
    EXPECT_TRUE(topLevelMainWindows().isEmpty());
    QThread::msleep(300);
    EXPECT_EQ(first.state(), QProcess::Running);

    // A crash leaves the segment behind with nobody attached.
    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished(10000));
    SingleInstanceGuard next(QString::fromLatin1(SingleInstanceGuard::kDefaultKey));
    EXPECT_TRUE(next.acquire());
}

}  // namespace
