// SPDX-License-Identifier: MIT
// AVI files at the edges: a disk that fills up mid-recording, and files past 1 GiB (OpenDML).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "AviWriter.h"
#include "FfmpegTools.h"
#include "TestFrames.h"

namespace {

using avitest::TestFrame;
using vidscope::record::AviWriter;
using vidscope::record::PixelLayout;
using Status = AviWriter::Status;

struct FullDiskOutcome {
    int framesWritten = -1;
    bool refusedAfterwards = false;
    bool closeReported = false;
    bool errorNamed = false;
};

// In a child process limited to `limitBytes` per file (what ulimit -f does), records frames
// until the writer refuses one, then tries once more and closes. The limit is the closest
// stand-in for a full disk that needs no privileges: writes past it fail with EFBIG.
FullDiskOutcome recordUntilFull(const std::string& path, rlim_t limitBytes, int width, int height) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const rlimit limit{limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        FullDiskOutcome out;
        std::string error;
        auto writer = AviWriter::open(path, 25, &error);
        if (writer) {
            Status status = Status::kOk;
            for (int k = 0; k < 10000 && status == Status::kOk; ++k)
                status =
                    writer->writeFrame(TestFrame(width, height, PixelLayout::kBgrx32, k).view());
            out.framesWritten = int(writer->framesWritten());
            out.refusedAfterwards =
                writer->writeFrame(TestFrame(width, height, PixelLayout::kBgrx32, 0).view()) ==
                Status::kFailedBefore;
            out.closeReported = !writer->close();
            out.errorNamed = writer->errorText().find("File too large") != std::string::npos;
        }
        [[maybe_unused]] auto n = write(fds[1], &out, sizeof out);
        _exit(0);
    }
    close(fds[1]);
    FullDiskOutcome out;
    const auto got = read(fds[0], &out, sizeof out);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the writer's process died (signal "
                                   << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << ")";
    EXPECT_EQ(got, ssize_t(sizeof out));
    return out;
}

// The recording ends at the last frame that fit, the writer says why, and what is on disk is
// a complete file FFmpeg plays to its end without a complaint.
TEST(AviLimits, DiskFullEndsTheFileAtTheLastGoodFrame) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("full.avi");
    const rlim_t limit = 3 * 1024 * 1024 + 12345;
    const FullDiskOutcome out = recordUntilFull(path, limit, 320, 240);
    ASSERT_GT(out.framesWritten, 5) << "a 3 MiB limit holds several 230 KB frames";
    EXPECT_LT(out.framesWritten, 14) << "the limit must have been reached";
    EXPECT_TRUE(out.refusedAfterwards) << "the error is sticky";
    EXPECT_TRUE(out.closeReported) << "close() reports that the recording failed";
    EXPECT_TRUE(out.errorNamed) << "the error text names the reason";

    EXPECT_LE(std::filesystem::file_size(path), limit);
    auto info = avitest::probe(path);
    EXPECT_EQ(info["nb_read_packets"], std::to_string(out.framesWritten));
    EXPECT_EQ(avitest::decodeErrors(path), "");
    const std::string decoded = avitest::decodedPixels(path, "rgb24", "select=eq(n\\,0)");
    EXPECT_TRUE(decoded == TestFrame::expected(320, 240, PixelLayout::kBgrx32, 0));
}

// A limit below the header's own needs: no frame at all fits, and no file is left behind.
TEST(AviLimits, DiskFullBeforeTheFirstFrameLeavesNoFile) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("none.avi");
    const FullDiskOutcome out = recordUntilFull(path, 100 * 1024, 64, 48);
    EXPECT_EQ(out.framesWritten, 0);
    EXPECT_TRUE(out.errorNamed);
    EXPECT_FALSE(std::filesystem::exists(path));
}

std::uint32_t readLe32(std::ifstream& in, std::uint64_t at) {
    unsigned char b[4] = {};
    in.seekg(std::streamoff(at));
    in.read(reinterpret_cast<char*>(b), 4);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

std::string readTag(std::ifstream& in, std::uint64_t at) {
    char tag[4] = {};
    in.seekg(std::streamoff(at));
    in.read(tag, 4);
    return std::string(tag, 4);
}

// Long: writes about 1.2 GiB. Past 1 GiB the file goes on in a second RIFF part (AVIX), and
// FFmpeg still finds every frame, the last one included, with its own pixels.
TEST(AviLimitsLong, PastOneGibTheFileContinuesAsOpenDml) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("long.avi");
    constexpr int kWidth = 640;
    constexpr int kHeight = 480;
    constexpr int kFrames = 4200;  // 4200 x 307200 bytes = 1.2 GiB
    {
        std::string error;
        auto writer = AviWriter::open(path, 30, &error);
        ASSERT_TRUE(writer) << error;
        // Two frames alternate: writing speed, not pattern making, should bound this test.
        const TestFrame even(kWidth, kHeight, PixelLayout::kGray8, 0);
        const TestFrame odd(kWidth, kHeight, PixelLayout::kGray8, 1);
        for (int k = 0; k < kFrames; ++k)
            ASSERT_EQ(writer->writeFrame((k % 2 ? odd : even).view()), Status::kOk)
                << writer->errorText();
        ASSERT_TRUE(writer->close()) << writer->errorText();
    }
    ASSERT_GT(std::filesystem::file_size(path), std::uintmax_t(1) << 30);

    std::ifstream in(path, std::ios::binary);
    ASSERT_EQ(readTag(in, 0), "RIFF");
    ASSERT_EQ(readTag(in, 8), "AVI ");
    const std::uint64_t second = 8 + std::uint64_t(readLe32(in, 4));
    EXPECT_LE(second, (std::uint64_t(1) << 30) + 4 * 307200) << "first part ends near 1 GiB";
    EXPECT_EQ(readTag(in, second), "RIFF");
    EXPECT_EQ(readTag(in, second + 8), "AVIX");

    EXPECT_EQ(avitest::probe(path)["nb_read_packets"], std::to_string(kFrames));
    const std::string last =
        avitest::decodedPixels(path, "rgb24", "select=eq(n\\," + std::to_string(kFrames - 1) + ")");
    EXPECT_TRUE(last == TestFrame::expected(kWidth, kHeight, PixelLayout::kGray8, 1))
        << "the last frame, in the second part, decodes to its own pixels";
}

}  // namespace
