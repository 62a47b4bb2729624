// SPDX-License-Identifier: MIT
// vidscopesrc controls and faults: settings while playing, triggers, drops, unplugs, bad input.
#include <chrono>

#include "tests/gst/PipelineFixture.h"

namespace vidscope::gst::test {
namespace {

class VidscopeSrcControl : public PipelineFixture {};

double meanOfNext(Pipeline& p, int frames) {
    double sum = 0;
    for (int i = 0; i < frames; ++i) {
        const std::optional<Frame> frame = p.pull();
        if (!frame)
            return -1;
        sum += frame->mean();
    }
    return sum / frames;
}

// The first warning's text, or empty.
std::string warningText(Pipeline& p) {
    GstMessage* message = p.waitFor(GST_MESSAGE_WARNING, 5 * GST_SECOND);
    if (message == nullptr)
        return {};
    GError* error = nullptr;
    gst_message_parse_warning(message, &error, nullptr);
    std::string text = error->message;
    g_error_free(error);
    gst_message_unref(message);
    return text;
}

TEST_F(VidscopeSrcControl, ControlsSetWhilePlayingReachTheCameraAndThePicture) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src auto-exposure=false auto-gain=false gain=16 " +
               sinkFor("video/x-raw,format=GRAY8"));
    ASSERT_TRUE(p.play());
    meanOfNext(p, 4);  // frames taken before the settings
    const double dim = meanOfNext(p, 4);
    ASSERT_GT(dim, 0);

    g_object_set(p.src(), "gain", 64, "exposure", 321, "gamma", 1.5, nullptr);
    // At once, not at the next start.
    EXPECT_EQ(CameraGetGain(0), 64);
    EXPECT_EQ(CameraGetExposure(0), 321);
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 1.5);
    int gain = 0;
    g_object_get(p.src(), "gain", &gain, nullptr);
    EXPECT_EQ(gain, 64);

    meanOfNext(p, 6);  // frames in flight
    const double bright = meanOfNext(p, 4);
    EXPECT_GT(bright, dim * 1.3) << "four times the gain must show";

    g_object_set(p.src(), "mirror-x", TRUE, "auto-white-balance", TRUE, nullptr);
    EXPECT_EQ(CameraGetMirrorX(0), 1);
    EXPECT_EQ(CameraGetAWB(0), 1);
}

TEST_F(VidscopeSrcControl, ValuesTheCameraRefusesWarnAndChangeNothing) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src " + sinkFor("video/x-raw"));
    ASSERT_TRUE(p.play());
    ASSERT_TRUE(p.pull());
    const int gain = CameraGetGain(0);
    // Within the property's range (which admits -1 for "the camera's own"), below the camera's.
    g_object_set(p.src(), "gain", 0, nullptr);
    EXPECT_NE(warningText(p).find("gain must lie within 1..255"), std::string::npos);
    EXPECT_EQ(CameraGetGain(0), gain);

    g_object_set(p.src(), "resolution", 999, nullptr);
    ASSERT_TRUE(p.pull()) << "a refused resolution keeps the stream going";
    EXPECT_NE(warningText(p).find("resolution"), std::string::npos);

    // -1 asks for nothing: the camera keeps what it has.
    g_object_set(p.src(), "exposure", -1, nullptr);
    EXPECT_GT(CameraGetExposure(0), 0);
    ASSERT_TRUE(p.pull());
}

TEST_F(VidscopeSrcControl, TriggerModeSendsAFrameOnlyWhenTriggered) {
    plug(0x3030);
    Pipeline p("vidscopesrc name=src trigger-mode=true " + sinkFor("video/x-raw"));
    ASSERT_EQ(gst_element_set_state(p.element(), GST_STATE_PLAYING), GST_STATE_CHANGE_ASYNC);
    EXPECT_EQ(CameraGetSnapMode(0), 2);
    EXPECT_FALSE(p.pull(GST_SECOND)) << "a frame came without a trigger";

    gboolean fired = FALSE;
    g_signal_emit_by_name(p.src(), "software-trigger", &fired);
    EXPECT_TRUE(fired);
    ASSERT_TRUE(p.pull());
    guint64 dropped = 1;
    g_object_get(p.src(), "frames-dropped", &dropped, nullptr);
    EXPECT_EQ(dropped, 0u) << "waiting for a trigger drops nothing";
}

// A camera keeps trigger mode after a pipeline ends, as a powered camera does; the next
// pipeline, which asks for no trigger, gets frames all the same.
TEST_F(VidscopeSrcControl, ACameraLeftInTriggerModeStreamsForTheNextPipeline) {
    plug(0x0030);
    {
        Pipeline triggered("vidscopesrc name=src trigger-mode=true " + sinkFor("video/x-raw"));
        ASSERT_EQ(gst_element_set_state(triggered.element(), GST_STATE_PLAYING),
                  GST_STATE_CHANGE_ASYNC);
        ASSERT_EQ(CameraGetSnapMode(0), 2);
        ASSERT_EQ(triggered.setState(GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    }
    Pipeline next("vidscopesrc name=src " + sinkFor("video/x-raw"));
    ASSERT_TRUE(next.play());
    EXPECT_EQ(CameraGetSnapMode(0), 1);
    EXPECT_TRUE(next.pull()) << "a camera left in trigger mode sent nothing";
}

TEST_F(VidscopeSrcControl, SilentCameraIsCountedInQosMessagesAndRecovers) {
    auto firmware = plug(0x3030);
    Pipeline p("vidscopesrc name=src " + sinkFor("video/x-raw"));
    ASSERT_TRUE(p.play());
    ASSERT_TRUE(p.pull());
    // The camera stays silent until the source has noticed: first it still converts the
    // frames its transfer ring holds (slowly in debug builds). The sink is drained meanwhile,
    // so that the source is waiting on the camera, not on the sink.
    GstMessage* qos = nullptr;
    const auto start = std::chrono::steady_clock::now();
    while (qos == nullptr && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        firmware->faults().silenceStream(std::chrono::milliseconds(1000));
        p.pull(50 * GST_MSECOND);
        qos = p.waitFor(GstMessageType(GST_MESSAGE_QOS | GST_MESSAGE_ERROR), 0);
    }
    ASSERT_NE(qos, nullptr);
    ASSERT_EQ(GST_MESSAGE_TYPE(qos), GST_MESSAGE_QOS) << "the stream ended";
    GstFormat format = GST_FORMAT_UNDEFINED;
    guint64 processed = 0;
    guint64 dropped = 0;
    gst_message_parse_qos_stats(qos, &format, &processed, &dropped);
    gst_message_unref(qos);
    EXPECT_EQ(format, GST_FORMAT_BUFFERS);
    EXPECT_GE(dropped, 1u);
    // The stream goes on once the camera sends again.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(p.pull());
    guint64 counted = 0;
    g_object_get(p.src(), "frames-dropped", &counted, nullptr);
    EXPECT_GE(counted, dropped);
}

TEST_F(VidscopeSrcControl, UnplugEndsTheStreamWithAnError) {
    for (const auto point : {sim::UnplugPoint::MidFrame, sim::UnplugPoint::FrameBoundary}) {
        SCOPED_TRACE(int(point));
        // A USB 2 camera: its frames span two transfers, so the cable can go mid-frame.
        auto firmware = plug(0x0030);
        Pipeline p("vidscopesrc name=src " + sinkFor("video/x-raw"));
        ASSERT_TRUE(p.play());
        ASSERT_TRUE(p.pull());
        firmware->faults().scheduleUnplug(point);
        const auto start = std::chrono::steady_clock::now();
        // Keep the sink drained so that the source meets the unplug in its query.
        std::string text;
        while (text.empty() &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
            p.pull(100 * GST_MSECOND);
            text = p.errorText(10 * GST_MSECOND);
        }
        EXPECT_NE(text.find("unplugged"), std::string::npos) << text;
        EXPECT_EQ(p.setState(GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
        TearDown();
    }
}

TEST_F(VidscopeSrcControl, OpeningFailuresSayWhatToDo) {
    plug(0x3030);
    {
        Pipeline unknown("vidscopesrc name=src camera=5 " + sinkFor("video/x-raw"));
        EXPECT_EQ(unknown.setState(GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
        EXPECT_NE(unknown.errorText().find("there is no camera 5 (1 attached)"), std::string::npos);
    }
    {
        ASSERT_TRUE(CameraInit(0));
        Pipeline busy("vidscopesrc name=src camera=0 " + sinkFor("video/x-raw"));
        EXPECT_EQ(busy.setState(GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
        EXPECT_NE(busy.errorText().find("already open in this process"), std::string::npos);
        ASSERT_TRUE(CameraFree(0));
    }
    {
        Pipeline codes("vidscopesrc name=src virtual=XYZ " + sinkFor("video/x-raw"));
        EXPECT_EQ(codes.setState(GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
        EXPECT_NE(codes.errorText().find("names no virtual camera"), std::string::npos);
    }
    {
        Pipeline resolution("vidscopesrc name=src resolution=999 " + sinkFor("video/x-raw"));
        EXPECT_EQ(resolution.setState(GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
        EXPECT_NE(resolution.errorText().find("resolution"), std::string::npos);
    }
    // None of the failures left the camera open.
    ASSERT_TRUE(CameraInit(0));
    ASSERT_TRUE(CameraFree(0));
}

TEST_F(VidscopeSrcControl, CapsTheCameraCannotProduceFailNegotiation) {
    plug(0x303B);  // monochrome: no mosaic
    const char* impossible[] = {"video/x-bayer", "video/x-raw,format=RGB,width=100,height=100"};
    for (const char* caps : impossible) {
        SCOPED_TRACE(caps);
        Pipeline p("vidscopesrc name=src " + sinkFor(caps));
        gst_element_set_state(p.element(), GST_STATE_PLAYING);
        EXPECT_NE(p.errorText().find("not-negotiated"), std::string::npos);
        EXPECT_EQ(p.setState(GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    }
}

}  // namespace
}  // namespace vidscope::gst::test
