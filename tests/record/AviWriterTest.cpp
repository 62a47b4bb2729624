// SPDX-License-Identifier: MIT
// AVI files as FFmpeg reads them: stream, pixel format, row and colour order, padding, rate.
#include <gtest/gtest.h>

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

struct Recording {
    int width;
    int height;
    PixelLayout layout;
    int frames;
    int fps;
};

// Writes `rec.frames` pattern frames into `path` and closes the file.
void record(const std::string& path, const Recording& rec, int extraPerLine = 0) {
    std::string error;
    auto writer = AviWriter::open(path, rec.fps, &error);
    ASSERT_TRUE(writer) << error;
    for (int k = 0; k < rec.frames; ++k) {
        const TestFrame frame(rec.width, rec.height, rec.layout, k, extraPerLine);
        ASSERT_EQ(writer->writeFrame(frame.view()), Status::kOk) << writer->errorText();
    }
    EXPECT_TRUE(writer->close()) << writer->errorText();
    EXPECT_EQ(writer->framesWritten(), rec.frames);
}

std::string expectedFrames(const Recording& rec) {
    std::string all;
    for (int k = 0; k < rec.frames; ++k)
        all += TestFrame::expected(rec.width, rec.height, rec.layout, k);
    return all;
}

class AviLayouts : public ::testing::TestWithParam<Recording> {};

// Every frame FFmpeg decodes equals what was recorded, pixel for pixel: colour order, row
// order (top-down rows) and the 4-byte row padding of widths that need it all show here.
TEST_P(AviLayouts, FfmpegDecodesEveryFrameAsRecorded) {
    const Recording rec = GetParam();
    avitest::ScratchDir dir;
    const std::string path = dir.file("clip.avi");
    record(path, rec, /*extraPerLine=*/rec.width % 3);

    auto info = avitest::probe(path);
    EXPECT_EQ(info["format_name"], "avi");
    EXPECT_EQ(info["codec_type"], "video");
    EXPECT_EQ(info["codec_name"], "rawvideo");
    EXPECT_EQ(info["pix_fmt"], rec.layout == PixelLayout::kGray8 ? "pal8" : "bgr24");
    EXPECT_EQ(info["width"], std::to_string(rec.width));
    EXPECT_EQ(info["height"], std::to_string(rec.height));
    EXPECT_EQ(info["r_frame_rate"], std::to_string(std::max(rec.fps, 1)) + "/1");
    EXPECT_EQ(info["nb_read_packets"], std::to_string(rec.frames));
    EXPECT_EQ(avitest::decodeErrors(path), "");

    // Decoded to rgb24 so that grey goes through the file's palette alone (FFmpeg's own
    // conversion to grey would round).
    const std::string decoded = avitest::decodedPixels(path, "rgb24");
    const std::string expected = expectedFrames(rec);
    ASSERT_EQ(decoded.size(), expected.size());
    EXPECT_TRUE(decoded == expected) << "decoded pixels differ from the recorded ones";
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, AviLayouts,
    ::testing::Values(Recording{64, 48, PixelLayout::kBgrx32, 5, 25},
                      Recording{13, 7, PixelLayout::kBgrx32, 3, 30},  // rows need padding
                      Recording{15, 9, PixelLayout::kRgb24, 3, 12},
                      Recording{40, 30, PixelLayout::kGray8, 4, 10},
                      Recording{21, 5, PixelLayout::kGray8, 2, 7},     // grey rows padded
                      Recording{16, 16, PixelLayout::kBgrx32, 2, 0}),  // rate below 1 is 1
    [](const auto& info) {
        const Recording& r = info.param;
        const char* kind = r.layout == PixelLayout::kGray8   ? "grey"
                           : r.layout == PixelLayout::kRgb24 ? "rgb"
                                                             : "rgb32";
        return std::string(kind) + "_" + std::to_string(r.width) + "x" + std::to_string(r.height) +
               "_fps" + std::to_string(r.fps);
    });

// A file holds one frame size: another size is refused, but it is not a write error, so the
// file goes on and ends up with exactly the frames that fit.
TEST(AviWriter, RefusesAnotherFrameSizeAndGoesOn) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("sizes.avi");
    std::string error;
    auto writer = AviWriter::open(path, 5, &error);
    ASSERT_TRUE(writer) << error;
    ASSERT_EQ(writer->writeFrame(TestFrame(32, 24, PixelLayout::kBgrx32, 0).view()), Status::kOk);
    EXPECT_EQ(writer->writeFrame(TestFrame(24, 32, PixelLayout::kBgrx32, 1).view()),
              Status::kSizeMismatch);
    EXPECT_EQ(writer->writeFrame(TestFrame(32, 24, PixelLayout::kGray8, 1).view()),
              Status::kSizeMismatch);
    EXPECT_EQ(writer->writeFrame(TestFrame(32, 24, PixelLayout::kRgb24, 1).view()), Status::kOk)
        << "three-byte colour is the same kind of file as four-byte colour";
    EXPECT_FALSE(writer->failed());
    EXPECT_TRUE(writer->close());
    EXPECT_EQ(avitest::probe(path)["nb_read_packets"], "2");
    EXPECT_EQ(avitest::decodeErrors(path), "");
}

TEST(AviWriter, RefusesFramesItCannotRead) {
    avitest::ScratchDir dir;
    std::string error;
    auto writer = AviWriter::open(dir.file("bad.avi"), 5, &error);
    ASSERT_TRUE(writer) << error;
    const TestFrame good(8, 8, PixelLayout::kRgb24, 0);
    auto view = good.view();
    view.pixels = nullptr;
    EXPECT_EQ(writer->writeFrame(view), Status::kBadFrame);
    view = good.view();
    view.bytesPerLine = 8 * 3 - 1;  // rows shorter than the width
    EXPECT_EQ(writer->writeFrame(view), Status::kBadFrame);
    view = good.view();
    view.height = 0;
    EXPECT_EQ(writer->writeFrame(view), Status::kBadFrame);
    EXPECT_FALSE(writer->failed());
    EXPECT_EQ(writer->writeFrame(good.view()), Status::kOk);
    EXPECT_TRUE(writer->close());
    EXPECT_EQ(writer->writeFrame(good.view()), Status::kNoFile) << "closed writers take nothing";
}

TEST(AviWriter, NamesWithSpacesAndNonAsciiCharacters) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("Mikroskop Aufnahme \xC3\xBC\xC3\xA9 \xE6\x98\xBE.avi");
    record(path, {24, 16, PixelLayout::kBgrx32, 3, 10});
    EXPECT_EQ(avitest::probe(path)["nb_read_packets"], "3");
    EXPECT_EQ(avitest::decodeErrors(path), "");
}

TEST(AviWriter, FileThatCannotBeCreatedIsReportedWithItsName) {
    avitest::ScratchDir dir;
    std::string error;
    EXPECT_FALSE(AviWriter::open(dir.file("missing/folder/a.avi"), 10, &error));
    EXPECT_NE(error.find("missing/folder/a.avi"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(AviWriter::open(dir.path(), 10, &error)) << "a folder is not a file";
    EXPECT_FALSE(error.empty());

    { std::ofstream(dir.file("plain")) << "x"; }
    error.clear();
    EXPECT_FALSE(AviWriter::open(dir.file("plain/a.avi"), 10, &error));
    EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;
}

TEST(AviWriter, FileWithoutFramesIsNotLeftBehind) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("empty.avi");
    std::string error;
    auto writer = AviWriter::open(path, 10, &error);
    ASSERT_TRUE(writer) << error;
    EXPECT_TRUE(std::filesystem::exists(path));
    writer->close();
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Closing (or destroying) a writer always leaves a complete file with its index.
TEST(AviWriter, DestroyingAnOpenWriterFinishesTheFile) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("dropped.avi");
    {
        std::string error;
        auto writer = AviWriter::open(path, 10, &error);
        ASSERT_TRUE(writer) << error;
        for (int k = 0; k < 4; ++k)
            ASSERT_EQ(writer->writeFrame(TestFrame(20, 10, PixelLayout::kGray8, k).view()),
                      Status::kOk);
    }
    EXPECT_EQ(avitest::probe(path)["nb_read_packets"], "4");
    EXPECT_EQ(avitest::decodeErrors(path), "");
    const auto size = std::filesystem::file_size(path);
    EXPECT_LT(size, 4u * 20u * 10u + 16u * 1024u) << "the space reserved ahead was given back";
}

}  // namespace
