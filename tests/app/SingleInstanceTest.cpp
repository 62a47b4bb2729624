// SPDX-License-Identifier: MIT
// Tests of the single-instance guard, including the program's own key against a real run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

#include "AppLauncher.h"
#include "AppOptions.h"
#include "MainWindow.h"
#include "RecordingPrompts.h"
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

QStringList topLevelMainWindows() {
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<MainWindow*>(widget) != nullptr) {
            names << widget->objectName();
        }
    }
    return names;
}

// With nobody to click it (no screen, or a timed run from a script), a refused start ends
// instead of waiting on a box forever; what it says on standard error is checked against the
// real program below.
TEST(SingleInstanceGuardTest, RefusedStartWithoutAScreenEndsAtOnce) {
    ScopedWorkDir dir;
    const QString key = privateKey("refused");
    qputenv("VIDSCOPE_INSTANCE_KEY", key.toLatin1());
    SingleInstanceGuard running(key);
    ASSERT_TRUE(running.acquire());

    RecordingPrompts prompts;
    const int status = AppLauncher::run(*qApp, AppOptions{});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(prompts.boxes, QStringList());
    EXPECT_TRUE(topLevelMainWindows().isEmpty());
    EXPECT_TRUE(running.isHeld());
    qunsetenv("VIDSCOPE_INSTANCE_KEY");

    AppOptions measuring;
    measuring.measureSeconds = 5;
    EXPECT_TRUE(AppLauncher::canAskUser("xcb", AppOptions{}));
    EXPECT_TRUE(AppLauncher::canAskUser("wayland", AppOptions{}));
    EXPECT_FALSE(AppLauncher::canAskUser("xcb", measuring));
    EXPECT_FALSE(AppLauncher::canAskUser("offscreen", AppOptions{}));
    EXPECT_FALSE(AppLauncher::canAskUser("minimal", AppOptions{}));
}

TEST(SingleInstanceGuardTest, TheBoxOnADesktopSaysTheProgramRunsAlready) {
    RecordingPrompts prompts;
    AppLauncher::showAlreadyRunning();
    EXPECT_EQ(prompts.boxes, QStringList{"Info: The program have been running already."});
}

// Restores an environment variable on leaving the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Two users (two runtime folders) each run their own copy; a folder someone else could
// write to is never trusted with the key.
TEST(SingleInstanceGuardTest, EveryUserHasAGuardOfTheirOwn) {
    QTemporaryDir mine;
    QTemporaryDir theirs;
    QTemporaryDir temp;
    ASSERT_TRUE(
        QFile::setPermissions(mine.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(theirs.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ScopedEnv tmp("TMPDIR", temp.path().toLocal8Bit());
    const QString key = privateKey("user");

    std::unique_ptr<SingleInstanceGuard> first;
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", mine.path().toLocal8Bit());
        first = std::make_unique<SingleInstanceGuard>(key);
        ASSERT_TRUE(first->acquire());
        EXPECT_TRUE(first->keyFile().startsWith(mine.path() + "/"))
            << first->keyFile().toStdString();
    }
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", theirs.path().toLocal8Bit());
        SingleInstanceGuard other(key);
        EXPECT_TRUE(other.acquire());
        EXPECT_TRUE(other.isHeld());
    }
    {
        // Open to everyone: not used; the private folder in the temporary directory is.
        ASSERT_TRUE(QFile::setPermissions(theirs.path(), QFileDevice::Permissions(0x7777)));
        ScopedEnv runtime("XDG_RUNTIME_DIR", theirs.path().toLocal8Bit());
        SingleInstanceGuard shared(key);
        const QString expected = temp.path() + QStringLiteral("/vidscope-%1/").arg(::geteuid());
        EXPECT_TRUE(shared.keyFile().startsWith(expected)) << shared.keyFile().toStdString();
        EXPECT_TRUE(shared.acquire());
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(expected).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    if (::geteuid() == 0) {
        // A folder of that name made by someone else: never trusted, and no lock-out either.
        const QString planted = temp.path() + QStringLiteral("/vidscope-%1").arg(::geteuid());
        ASSERT_EQ(::chown(QFile::encodeName(planted).constData(), 4242, 4242), 0);
        ScopedEnv runtime("XDG_RUNTIME_DIR", "");
        SingleInstanceGuard unguarded(key);
        EXPECT_TRUE(unguarded.keyFile().isEmpty());
        EXPECT_TRUE(unguarded.acquire());
    }
    first->release();
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

    // A second real start, with no screen to ask on, ends by itself and says why.
    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(dir.path());
    second.start(VIDSCOPE_APP_BINARY, {"--virtual-camera", "0500"});
    const bool ended = second.waitForFinished(20000);
    if (!ended)
        second.kill();
    ASSERT_TRUE(ended) << "the refused start waits for a click";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("The program have been running already."));
    EXPECT_EQ(first.state(), QProcess::Running);

    // A crash leaves the segment behind with nobody attached.
    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished(10000));
    SingleInstanceGuard next(QString::fromLatin1(SingleInstanceGuard::kDefaultKey));
    EXPECT_TRUE(next.acquire());
}

}  // namespace
