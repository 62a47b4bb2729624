// SPDX-License-Identifier: MIT
// vidscopesrc streaming: caps and frame sizes per format, timestamps, renegotiation, cycles.
#include <gst/video/video.h>

#include <cmath>

#include "tests/gst/PipelineFixture.h"

namespace vidscope::gst::test {
namespace {

class VidscopeSrcStream : public PipelineFixture {};

struct FormatCase {
    const char* caps;
    const char* mediaType;
    const char* format;
    unsigned bytesPerPixel;
};

// Rows as GStreamer lays them out without a video meta: rounded up to four bytes.
size_t defaultFrameBytes(int width, int height, unsigned bytesPerPixel) {
    const size_t stride = (size_t(width) * bytesPerPixel + 3) & ~size_t(3);
    return stride * size_t(height);
}

TEST_F(VidscopeSrcStream, EachFormatHasTheCamerasSizeAndAFullFrame) {
    plug(0x3030);  // USB 3 colour, BGGR mosaic
    const FormatCase cases[] = {{"video/x-raw,format=GRAY8", "video/x-raw", "GRAY8", 1},
                                {"video/x-raw,format=RGB", "video/x-raw", "RGB", 3},
                                {"video/x-raw,format=BGRx", "video/x-raw", "BGRx", 4},
                                {"video/x-bayer", "video/x-bayer", "bggr", 1}};
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.caps);
        Pipeline p("vidscopesrc name=src camera=0 " + sinkFor(c.caps));
        ASSERT_TRUE(p.play());
        unsigned width = 0;
        unsigned height = 0;
        ASSERT_TRUE(CameraGetImageSize(0, &width, &height));
        const std::optional<Frame> frame = p.pull();
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->mediaType, c.mediaType);
        EXPECT_EQ(frame->format, c.format);
        EXPECT_EQ(frame->width, int(width));
        EXPECT_EQ(frame->height, int(height));
        EXPECT_EQ(frame->bytes.size(),
                  defaultFrameBytes(frame->width, frame->height, c.bytesPerPixel));
        // The virtual scene is never a flat field: an empty or unconverted buffer would be.
        EXPECT_GT(frame->mean(), 1.0);
    }
}

// The red patch of the virtual scene's chart, top left, as a fraction of the frame.
constexpr double kRedPatchX = 0.12;
constexpr double kRedPatchY = 0.11;

TEST_F(VidscopeSrcStream, RgbAndBgrxPutTheRedPatchInTheirOwnChannelOrder) {
    plug(0x3030);
    struct Order {
        const char* caps;
        unsigned bytesPerPixel;
        unsigned red;
        unsigned blue;
    };
    for (const Order& order :
         {Order{"video/x-raw,format=RGB", 3, 0, 2}, Order{"video/x-raw,format=BGRx", 4, 2, 0}}) {
        SCOPED_TRACE(order.caps);
        Pipeline p("vidscopesrc name=src " + sinkFor(order.caps));
        ASSERT_TRUE(p.play());
        const std::optional<Frame> frame = p.pull();
        ASSERT_TRUE(frame);
        const size_t stride = (size_t(frame->width) * order.bytesPerPixel + 3) & ~size_t(3);
        const size_t x = size_t(frame->width * kRedPatchX);
        const size_t y = size_t(frame->height * kRedPatchY);
        const guint8* pixel = frame->bytes.data() + y * stride + x * order.bytesPerPixel;
        EXPECT_GT(int(pixel[order.red]), int(pixel[order.blue]) + 30)
            << "red " << int(pixel[order.red]) << ", blue " << int(pixel[order.blue]);
        EXPECT_GT(int(pixel[order.red]), int(pixel[1]) + 30);
    }
}

TEST_F(VidscopeSrcStream, FormatsFollowTheModel) {
    plug(0x303B);  // monochrome: grey first, no mosaic
    plug(0xC030);  // YUV: colour only
    {
        Pipeline mono("vidscopesrc name=src camera=0 " + sinkFor("video/x-raw"));
        ASSERT_TRUE(mono.play());
        const std::optional<Frame> frame = mono.pull();
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->format, "GRAY8");
    }
    {
        Pipeline yuv("vidscopesrc name=src camera=1 " + sinkFor("video/x-raw"));
        ASSERT_TRUE(yuv.play());
        const std::optional<Frame> frame = yuv.pull();
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->format, "RGB");
        EXPECT_EQ(frame->bytes.size(), defaultFrameBytes(frame->width, frame->height, 3));
        GstPad* pad = gst_element_get_static_pad(yuv.src(), "src");
        GstCaps* offered = gst_pad_query_caps(pad, nullptr);
        GstCaps* grey = gst_caps_from_string("video/x-raw,format=GRAY8");
        GstCaps* bayer = gst_caps_from_string("video/x-bayer");
        EXPECT_FALSE(gst_caps_can_intersect(offered, grey)) << "its grey output writes nothing";
        EXPECT_FALSE(gst_caps_can_intersect(offered, bayer));
        for (GstCaps* caps : {offered, grey, bayer})
            gst_caps_unref(caps);
        gst_object_unref(pad);
    }
}

TEST_F(VidscopeSrcStream, FiftyBuffersCarryRisingTimestampsThenEnd) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src num-buffers=50 " + sinkFor("video/x-raw,format=RGB"));
    ASSERT_TRUE(p.play());
    GstClockTime previous = GST_CLOCK_TIME_NONE;
    for (int i = 0; i < 50; ++i) {
        const std::optional<Frame> frame = p.pull();
        ASSERT_TRUE(frame) << "buffer " << i;
        ASSERT_TRUE(GST_CLOCK_TIME_IS_VALID(frame->pts)) << "buffer " << i;
        if (GST_CLOCK_TIME_IS_VALID(previous)) {
            EXPECT_GT(frame->pts, previous) << "buffer " << i;
        }
        EXPECT_EQ(frame->offset, guint64(i)) << "frame numbers count delivered frames";
        previous = frame->pts;
    }
    GstMessage* eos = p.waitFor(GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    ASSERT_NE(eos, nullptr);
    EXPECT_EQ(GST_MESSAGE_TYPE(eos), GST_MESSAGE_EOS);
    gst_message_unref(eos);

    guint64 delivered = 0;
    g_object_get(p.src(), "frames-delivered", &delivered, nullptr);
    EXPECT_EQ(delivered, 50u);
}

TEST_F(VidscopeSrcStream, ReportsItselfLiveWithTheLatencyOfAFrame) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src " + sinkFor("video/x-raw"));
    ASSERT_TRUE(p.play());
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(p.pull());
    GstQuery* query = gst_query_new_latency();
    ASSERT_TRUE(gst_element_query(p.src(), query));
    gboolean live = FALSE;
    GstClockTime min = 0;
    GstClockTime max = 0;
    gst_query_parse_latency(query, &live, &min, &max);
    gst_query_unref(query);
    EXPECT_TRUE(live);
    EXPECT_GT(min, GstClockTime(0));
    EXPECT_TRUE(!GST_CLOCK_TIME_IS_VALID(max) || max >= min);
    // A live source produces nothing in PAUSED: the state change says so.
    EXPECT_EQ(gst_element_set_state(p.element(), GST_STATE_PAUSED), GST_STATE_CHANGE_NO_PREROLL);
}

TEST_F(VidscopeSrcStream, ResolutionChangeWhilePlayingRenegotiates) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src " + sinkFor("video/x-raw,format=RGB"));
    ASSERT_TRUE(p.play());
    const std::optional<Frame> before = p.pull();
    ASSERT_TRUE(before);
    ASSERT_GE(CameraGetResolutionCount(0), 2);
    unsigned width = 0;
    unsigned height = 0;
    ASSERT_TRUE(CameraGetResolution(0, 1, &width, &height, nullptr));
    ASSERT_NE(int(width), before->width) << "pick a resolution of another size";

    g_object_set(p.src(), "resolution", 1, nullptr);
    std::optional<Frame> after;
    // Frames already queued downstream still have the old size.
    for (int i = 0; i < 10 && (!after || after->width == before->width); ++i)
        after = p.pull();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->width, int(width));
    EXPECT_EQ(after->height, int(height));
    EXPECT_EQ(after->bytes.size(), defaultFrameBytes(after->width, after->height, 3));
    int resolution = -1;
    g_object_get(p.src(), "resolution", &resolution, nullptr);
    EXPECT_EQ(resolution, 1);

    // A quarter turn swaps width and height, again through renegotiation.
    g_object_set(p.src(), "rotate", TRUE, nullptr);
    std::optional<Frame> turned;
    for (int i = 0; i < 10 && (!turned || turned->width == after->width); ++i)
        turned = p.pull();
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->width, after->height);
    EXPECT_EQ(turned->height, after->width);
}

// Column means of the first byte of each pixel, rows `stride` bytes apart.
std::vector<double> columnMeans(const guint8* data, int width, int height, size_t stride,
                                size_t bytesPerPixel = 1) {
    std::vector<double> means(size_t(width), 0.0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            means[size_t(x)] += data[size_t(y) * stride + size_t(x) * bytesPerPixel];
    }
    for (double& mean : means)
        mean /= height;
    return means;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = std::min(a.size(), b.size());
    double ma = 0;
    double mb = 0;
    for (size_t i = 0; i < n; ++i) {
        ma += a[i];
        mb += b[i];
    }
    ma /= double(n);
    mb /= double(n);
    double ab = 0;
    double aa = 0;
    double bb = 0;
    for (size_t i = 0; i < n; ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

// A region 750 pixels wide gives grey rows of 750 bytes, which GStreamer lays 752 bytes apart
// unless the element describes them in a video meta.
constexpr unsigned kRoiX = 2;
constexpr unsigned kRoiY = 40;
constexpr unsigned kRoiWidth = 750;
constexpr unsigned kRoiHeight = 400;

// The region as the camera sends it straight, rows packed: column means of its grey picture.
std::vector<double> directRegionColumns() {
    std::vector<guint8> direct(kRoiWidth * kRoiHeight);
    if (!CameraInit(0))
        return {};
    const bool queried = CameraSetROI(0, kRoiX, kRoiY, kRoiWidth, kRoiHeight) && CameraPlay(0) &&
                         CameraQueryImage(0, direct.data(), unsigned(direct.size()),
                                          CAMERA_FORMAT_GRAY8 | CAMERA_QUERY_RESET_STREAM);
    CameraFree(0);
    if (!queried)
        return {};
    return columnMeans(direct.data(), kRoiWidth, kRoiHeight, kRoiWidth);
}

TEST_F(VidscopeSrcStream, RegionSetElsewhereRenegotiatesWithRowsAtTheirStride) {
    plug(0x303B);
    struct Path {
        const char* tail;  // after the source
        size_t stride;     // of the frame the sink receives
        size_t bytesPerPixel;
    };
    // Spread in place for the sink, and packed with a video meta for videoconvert, which
    // asks for one and writes its own rows for the sink.
    for (const Path& path :
         {Path{"! video/x-raw,format=GRAY8 ! appsink name=sink sync=false max-buffers=4", 752, 1},
          Path{"! video/x-raw,format=GRAY8 ! videoconvert ! video/x-raw,format=RGB ! appsink "
               "name=sink sync=false max-buffers=4",
               2252, 3}}) {
        SCOPED_TRACE(path.tail);
        Pipeline p(std::string("vidscopesrc name=src ") + path.tail);
        ASSERT_TRUE(p.play());
        ASSERT_TRUE(p.pull());
        // Another part of the program narrows the camera meanwhile.
        ASSERT_TRUE(CameraSetROI(0, kRoiX, kRoiY, kRoiWidth, kRoiHeight));
        std::optional<Frame> frame;
        for (int i = 0; i < 10 && (!frame || frame->width != int(kRoiWidth)); ++i)
            frame = p.pull();
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->width, int(kRoiWidth));
        ASSERT_EQ(frame->height, int(kRoiHeight));
        ASSERT_EQ(frame->bytes.size(), path.stride * kRoiHeight);
        const std::vector<double> streamed = columnMeans(
            frame->bytes.data(), frame->width, frame->height, path.stride, path.bytesPerPixel);
        ASSERT_EQ(p.setState(GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
        // The same picture, not one sheared by a row layout gone wrong.
        const std::vector<double> direct = directRegionColumns();
        ASSERT_EQ(direct.size(), size_t(kRoiWidth)) << CameraGetErrorName(CameraGetLastError());
        EXPECT_GT(correlation(streamed, direct), 0.95);
    }
}

TEST_F(VidscopeSrcStream, FormatPropertyNarrowsTheCaps) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src format=bgrx " + sinkFor("video/x-raw"));
    ASSERT_TRUE(p.play());
    const std::optional<Frame> frame = p.pull();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->format, "BGRx");
}

TEST_F(VidscopeSrcStream, PlayingNullCyclesFreeTheCameraEachTime) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src auto-gain=false gain=40 " + sinkFor("video/x-raw"));
    for (int cycle = 0; cycle < 5; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(p.play());
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(p.pull());
        // Settings given before the start reach the camera every time it opens.
        EXPECT_EQ(CameraGetGain(0), 40);
        ASSERT_EQ(p.setState(GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
        // Closed: the index can be opened by someone else, and is then busy for the element.
        ASSERT_TRUE(CameraInit(0));
        ASSERT_TRUE(CameraFree(0));
    }
    // Paused and resumed: the stream picks up again with time running on.
    ASSERT_TRUE(p.play());
    const std::optional<Frame> before = p.pull();
    ASSERT_TRUE(before);
    ASSERT_EQ(gst_element_set_state(p.element(), GST_STATE_PAUSED), GST_STATE_CHANGE_NO_PREROLL);
    ASSERT_TRUE(p.play());
    std::optional<Frame> resumed;
    for (int i = 0; i < 8; ++i)
        resumed = p.pull();
    ASSERT_TRUE(resumed);
    EXPECT_GT(resumed->pts, before->pts);
    // Straight from PLAYING to NULL while frames are pending downstream.
    ASSERT_EQ(p.setState(GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
}

TEST_F(VidscopeSrcStream, VirtualPropertyAttachesAndOpensItsCamera) {
    // No camera plugged: the element brings its own.
    Pipeline p("vidscopesrc name=src virtual=303B " + sinkFor("video/x-raw"));
    ASSERT_TRUE(p.play());
    const std::optional<Frame> frame = p.pull();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->format, "GRAY8");
    int camera = -1;
    g_object_get(p.src(), "camera", &camera, nullptr);
    EXPECT_EQ(CameraGetID(camera), 0x303B);
    const int count = CameraGetCount();
    // A restart reuses the camera it attached rather than attaching another.
    ASSERT_EQ(p.setState(GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    ASSERT_TRUE(p.play());
    EXPECT_EQ(CameraGetCount(), count);
    ASSERT_TRUE(p.pull());
}

}  // namespace
}  // namespace vidscope::gst::test
