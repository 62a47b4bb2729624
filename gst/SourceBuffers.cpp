// SPDX-License-Identifier: MIT
// vidscopesrc's buffers: the pool it owns, the row layout of a frame, drop and latency reports.
#include "gst/SourceBuffers.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cstring>

GST_DEBUG_CATEGORY_EXTERN(vidscope_src_debug);
#define GST_CAT_DEFAULT vidscope_src_debug

namespace vidscope::gst {
namespace {

// The buffer size the pool hands out: enough for what the camera writes and for the rows as
// the caps promise them.
gsize bufferBytes(const SourceState& s) {
    const gsize promised = gsize(s.output->defaultStride()) * s.output->height;
    return std::max<gsize>(promised, s.queryBytes);
}

}  // namespace

gboolean decideAllocation(SourceState& s, GstQuery* query) {
    if (!s.output)
        return FALSE;
    // Packed rows can go downstream as they are when it reads strides from a video meta.
    s.videoMeta = s.output->format != OutputFormat::kBayer &&
                  gst_query_find_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr);
    guint minBuffers = kPoolMinBuffers;
    if (gst_query_get_n_allocation_pools(query) > 0) {
        guint size = 0;
        guint min = 0;
        guint max = 0;
        gst_query_parse_nth_allocation_pool(query, 0, nullptr, &size, &min, &max);
        minBuffers = std::max(minBuffers, min);
    }
    GstCaps* caps = nullptr;
    gst_query_parse_allocation(query, &caps, nullptr);
    const gsize size = bufferBytes(s);
    GstBufferPool* pool = gst_buffer_pool_new();
    GstStructure* config = gst_buffer_pool_get_config(pool);
    gst_buffer_pool_config_set_params(config, caps, guint(size), minBuffers, 0);
    if (!gst_buffer_pool_set_config(pool, config)) {
        gst_object_unref(pool);
        return FALSE;
    }
    if (gst_query_get_n_allocation_pools(query) > 0)
        gst_query_set_nth_allocation_pool(query, 0, pool, guint(size), minBuffers, 0);
    else
        gst_query_add_allocation_pool(query, pool, guint(size), minBuffers, 0);
    gst_object_unref(pool);
    return TRUE;
}

// Last row first, so that nothing is overwritten before it has moved: the frame stays in the
// buffer it was read into.
void spreadRows(guint8* data, const OutputLayout& output) {
    const gsize packed = output.packedStride();
    const gsize stride = output.defaultStride();
    for (gsize row = output.height; row-- > 1;)
        std::memmove(data + row * stride, data + row * packed, packed);
}

void finishFrame(GstBaseSrc* src, SourceState& s, GstBuffer* buffer) {
    const OutputLayout& output = *s.output;
    if (s.videoMeta) {
        gst_buffer_resize(buffer, 0, gssize(output.packedStride()) * output.height);
        gsize offsets[GST_VIDEO_MAX_PLANES] = {0};
        gint strides[GST_VIDEO_MAX_PLANES] = {gint(output.packedStride())};
        const GstVideoFormat format = output.format == OutputFormat::kGray8 ? GST_VIDEO_FORMAT_GRAY8
                                      : output.format == OutputFormat::kRgb ? GST_VIDEO_FORMAT_RGB
                                                                            : GST_VIDEO_FORMAT_BGRx;
        gst_buffer_add_video_meta_full(buffer, GST_VIDEO_FRAME_FLAG_NONE, format, output.width,
                                       output.height, 1, offsets, strides);
    } else {
        gst_buffer_resize(buffer, 0, gssize(output.defaultStride()) * output.height);
    }
    const guint64 number = s.delivered++;
    GST_BUFFER_OFFSET(buffer) = number;
    GST_BUFFER_OFFSET_END(buffer) = number + 1;

    // The measured interval is the latency: report it again when it moved by half.
    GstClock* clock = gst_element_get_clock(GST_ELEMENT(src));
    if (clock == nullptr)
        return;
    const GstClockTime now = gst_clock_get_time(clock);
    gst_object_unref(clock);
    if (GST_CLOCK_TIME_IS_VALID(s.lastArrival) && now > s.lastArrival) {
        const GstClockTime interval = now - s.lastArrival;
        const GstClockTime old = s.frameInterval.load();
        const GstClockTime smoothed =
            GST_CLOCK_TIME_IS_VALID(old) ? (old * 7 + interval) / 8 : interval;
        s.frameInterval = smoothed;
        const GstClockTime reported = s.reportedLatency.load();
        if (GST_CLOCK_TIME_IS_VALID(reported) &&
            (smoothed > reported + reported / 2 || smoothed + smoothed / 2 < reported))
            gst_element_post_message(GST_ELEMENT(src), gst_message_new_latency(GST_OBJECT(src)));
    }
    s.lastArrival = now;
}

void postDrop(GstBaseSrc* src, SourceState& s, const char* reason) {
    const guint64 dropped = ++s.dropped;
    GST_DEBUG_OBJECT(src, "camera dropped a frame (%s), %" G_GUINT64_FORMAT " so far", reason,
                     dropped);
    GstClockTime running = GST_CLOCK_TIME_NONE;
    if (GstClock* clock = gst_element_get_clock(GST_ELEMENT(src))) {
        running = gst_clock_get_time(clock) - gst_element_get_base_time(GST_ELEMENT(src));
        gst_object_unref(clock);
    }
    GstMessage* message =
        gst_message_new_qos(GST_OBJECT(src), TRUE, running, running, running, GST_CLOCK_TIME_NONE);
    gst_message_set_qos_stats(message, GST_FORMAT_BUFFERS, s.delivered.load(), dropped);
    gst_element_post_message(GST_ELEMENT(src), message);
}

}  // namespace vidscope::gst
