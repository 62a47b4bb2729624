// SPDX-License-Identifier: MIT
// The real program run as scripts run it: a timed measurement, and ending it by a signal.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

#include "ShellTestSupport.h"
#include "TerminationSignals.h"

namespace {

// Runs of the program with a private working, runtime and temporary folder, so that neither
// settings nor the single-instance key meet another test's.
class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        for (QTemporaryDir* dir : {&work_, &runtime_, &temp_})
            ASSERT_TRUE(dir->isValid());
        QFile::setPermissions(runtime_.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime_.path());
        env.insert("TMPDIR", temp_.path());
        env.insert("VIDSCOPE_VIRTUAL_DIR", work_.path());
        env.remove("VIDSCOPE_INSTANCE_KEY");
        env.remove("VIDSCOPE_VIRTUAL_UNPACED");
        program_.setProcessEnvironment(env);
        program_.setWorkingDirectory(work_.path());
        ScopedWorkDir::writeSettingsTo(work_.path(), {{"Language/Lang", 1}});
    }
    void TearDown() override {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished(5000);
        }
    }

    QStringList leftovers() const {
        QStringList files;
        for (const QTemporaryDir* dir : {&runtime_, &temp_}) {
            for (const QString& name :
                 QDir(dir->path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
                files << name;
        }
        return files;
    }

    QTemporaryDir work_;
    QTemporaryDir runtime_;
    QTemporaryDir temp_;
    QProcess program_;
};

TEST_F(ProgramRun, MeasurementCountsOnlyTheOpenCameraFromItsStart) {
    program_.start(VIDSCOPE_APP_BINARY, {"--measure", "2", "--virtual-camera", "3120,0500"});
    ASSERT_TRUE(program_.waitForFinished(60000));
    ASSERT_EQ(program_.exitCode(), 0) << program_.readAllStandardError().toStdString();
    const QString out = QString::fromLocal8Bit(program_.readAllStandardOutput());
    static const QRegularExpression line(
        "measured 2 s: camera frames (\\d+) \\(made but unread (\\d+)\\), captured (\\d+), "
        "displayed (\\d+) \\(([\\d.]+) % of camera frames\\), queue drops (\\d+), stale drops "
        "(\\d+), frame buffers allocated (\\d+)");
    const QRegularExpressionMatch m = line.match(out);
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    const long long sent = m.captured(1).toLongLong();
    const long long captured = m.captured(3).toLongLong();
    const long long displayed = m.captured(4).toLongLong();
    EXPECT_GT(displayed, 0);
    EXPECT_LE(captured, sent);
    EXPECT_LE(displayed, captured);
    EXPECT_LE(m.captured(5).toDouble(), 100.0);
    // A fresh process must take its first frame buffers from the system.
    EXPECT_GT(m.captured(8).toLongLong(), 0);
}

// SIGTERM and Ctrl+C close the window as the user would: the program ends normally and
// leaves neither its single-instance segment nor any key file behind.
TEST_F(ProgramRun, TerminationSignalsCloseTheProgramCleanly) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        program_.start(VIDSCOPE_APP_BINARY, {"--virtual-camera", "3120"});
        ASSERT_TRUE(program_.waitForStarted(10000));
        const QString keyFile = QDir(runtime_.path()).filePath("vidScope.instance");
        ASSERT_TRUE(spinUntil([&] { return QFile::exists(keyFile); }, 20000));
        ::kill(static_cast<pid_t>(program_.processId()), signal);
        ASSERT_TRUE(program_.waitForFinished(20000));
        EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program_.exitCode(), 0);
        EXPECT_EQ(leftovers(), QStringList()) << program_.readAllStandardError().toStdString();
    }
}

TEST(TerminationSignalsTest, ASignalArrivesInTheEventLoopAndTheOldHandlerReturns) {
    struct sigaction before {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        TerminationSignals handler;
        ASSERT_TRUE(handler.installed());
        int received = 0;
        QObject::connect(&handler, &TerminationSignals::received, [&](int n) { received = n; });
        ::raise(SIGTERM);
        EXPECT_TRUE(spinUntil([&] { return received != 0; }, 5000));
        EXPECT_EQ(received, SIGTERM);
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(TerminationSignalsTest, ASecondSignalWhileClosingEndsAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TerminationSignals handler;
            ::raise(SIGINT);
            ::raise(SIGINT);
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
}

}  // namespace
