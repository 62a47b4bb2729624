// SPDX-License-Identifier: MIT
// grab, record and stream through the process boundary: files judged by Qt and ffprobe.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "CliProcess.h"

#ifdef VIDSCOPE_CLI_QT
#include <QImage>
#endif

namespace {

namespace fs = std::filesystem;

class CliCapture : public ::testing::Test {
protected:
    CliProcess cli;
};

#ifdef VIDSCOPE_CLI_QT
TEST_F(CliCapture, GrabWritesPicturesQtDecodesAtTheSelectedSize) {
    const CliResult png = cli.cli({"grab", "0", cli.path("a.png"), "resolution=3"});
    ASSERT_EQ(png.status, 0) << png.err;
    const QImage colour(QString::fromStdString(cli.path("a.png")));
    ASSERT_FALSE(colour.isNull());
    EXPECT_EQ(colour.size(), QSize(640, 480));
    EXPECT_FALSE(colour.isGrayscale());

    const CliResult grey =
        cli.cli({"grab", "0", cli.path("b.bmp"), "--format", "gray", "resolution=3", "rotate=on"});
    ASSERT_EQ(grey.status, 0) << grey.err;
    const QImage turned(QString::fromStdString(cli.path("b.bmp")));
    EXPECT_EQ(turned.size(), QSize(480, 640));
    EXPECT_TRUE(turned.isGrayscale());

    const CliResult jpeg = cli.cli({"grab", "0", cli.path("c.JPG"), "resolution=3"});
    ASSERT_EQ(jpeg.status, 0) << jpeg.err;
    EXPECT_EQ(QImage(QString::fromStdString(cli.path("c.JPG"))).size(), QSize(640, 480));
}
#endif

TEST_F(CliCapture, GrabNumbersEveryFrameAndWritesRawBytesWhole) {
    const CliResult raw =
        cli.cli({"grab", "0", cli.path("f-%02d.raw"), "--count", "3", "resolution=3"});
    ASSERT_EQ(raw.status, 0) << raw.err;
    for (const char* name : {"f-00.raw", "f-01.raw", "f-02.raw"})
        EXPECT_EQ(fs::file_size(cli.path(name)), 640u * 480u) << name;
    EXPECT_FALSE(fs::exists(cli.path("f-03.raw")));
    EXPECT_FALSE(fs::exists(cli.path("f-00.raw.part")));
}

TEST_F(CliCapture, AFileThatCannotBeWrittenFailsWithoutLeavingPieces) {
    for (const char* name : {"missing/x.png", "missing/x.raw"}) {
        const CliResult result = cli.cli({"grab", "0", cli.path(name), "resolution=3"});
        EXPECT_EQ(result.status, 1) << name;
        EXPECT_EQ(result.cliErrorLines().size(), 1u) << result.err;
    }
    const CliResult avi =
        cli.cli({"record", "0", cli.path("missing/x.avi"), "--frames", "2", "resolution=3"});
    EXPECT_EQ(avi.status, 1);
    EXPECT_EQ(avi.cliErrorLines().size(), 1u) << avi.err;
    EXPECT_FALSE(fs::exists(cli.path("missing")));
}

TEST_F(CliCapture, RecordWritesTheFramesItReportsAndFfprobeReadsThemAll) {
    const std::string file = cli.path("r.avi");
    const CliResult result = cli.cli({"record", "2", file, "--frames", "12", "--fps", "15",
                                      "--format", "gray", "resolution=1", "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(cli.json(result.out, "d['frames'], d['fps'], d['interrupted']"), "12 15 False");
    EXPECT_EQ(cli.probe(file, "nb_read_frames"), "12");
    EXPECT_EQ(cli.probe(file, "r_frame_rate"), "15/1");
    EXPECT_EQ(cli.probe(file, "codec_name"), "rawvideo");
}

TEST_F(CliCapture, CtrlCDuringRecordLeavesAPlayableFileWithEveryFrameCounted) {
    const std::string file = cli.path("long.avi");
    // The monochrome camera at a small size and a long frame wait keep frames coming even
    // under the sanitizers; a given rate opens the file with the first frame.
    const pid_t pid = cli.start({"record", "2", file, "--seconds", "600", "--fps", "10", "--format",
                                 "gray", "resolution=1", "timeout=5000"});
    // Wait until frames are going into the file (its header is written with the first ones).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((!fs::exists(file) || fs::file_size(file) < 1u << 20) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(kill(pid, SIGINT), 0);
    const CliResult result = cli.finish(pid);
    ASSERT_EQ(result.status, 0) << result.err;
    const size_t colon = result.out.find(": ");
    ASSERT_NE(colon, std::string::npos) << result.out;
    const std::string frames =
        result.out.substr(colon + 2, result.out.find(' ', colon + 2) - colon - 2);
    EXPECT_NE(result.out.find("(interrupted)"), std::string::npos) << result.out;
    EXPECT_GT(std::stoi(frames), 0);
    EXPECT_EQ(cli.probe(file, "nb_read_frames"), frames);
}

TEST_F(CliCapture, StreamReportsRatesThatAgreeWithEachOther) {
    // A long frame wait: on a loaded machine (or under the sanitizers) the first frame of a
    // virtual camera may take longer than the usual 500 ms, which would count as a drop.
    const CliResult result =
        cli.cli({"stream", "2", "--seconds", "1", "--json", "resolution=1", "timeout=5000"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(cli.json(result.out, "d['frames'] > 0 and d['dropped'] == 0"), "True");
    EXPECT_EQ(cli.json(result.out,
                       "abs(d['bytes_per_second'] - d['frames_per_second'] * d['frame_bytes'])"
                       " < 1e-6 * d['bytes_per_second']"),
              "True");
    EXPECT_EQ(
        cli.json(result.out, "abs(d['frames'] / d['seconds'] - d['frames_per_second']) < 1e-6"),
        "True");
}

}  // namespace
