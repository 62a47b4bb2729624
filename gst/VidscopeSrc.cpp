// SPDX-License-Identifier: MIT
// vidscopesrc: a live GStreamer source streaming one camera through the flat camera API.
#include "gst/VidscopeSrc.h"

#include <gst/video/video.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "gst/SourceCamera.h"
#include "gst/SourceCaps.h"
#include "gst/SourceControls.h"

GST_DEBUG_CATEGORY_STATIC(vidscope_src_debug);
#define GST_CAT_DEFAULT vidscope_src_debug

using vidscope::gst::CameraLayout;
using vidscope::gst::OutputFormat;
using vidscope::gst::OutputLayout;
using vidscope::gst::SourceCamera;
using vidscope::gst::SourceCaps;
using vidscope::gst::SourceControls;

namespace {

enum Property : unsigned {
    kPropCamera = 1,
    kPropVirtual,
    kPropFormat,
    kPropFramesDelivered,
    kPropFramesDropped,
    kPropFirstControl
};

// The format property: 0 lets negotiation choose.
enum FormatChoice { kFormatAuto, kFormatGray8, kFormatRgb, kFormatBgrx, kFormatBayer };

// Buffers the pool keeps ready; it grows without limit beyond that, because encoders hold
// dozens of frames and a bound would stall the stream.
constexpr guint kPoolMinBuffers = 4;

std::optional<OutputFormat> formatOf(int choice) {
    switch (choice) {
        case kFormatGray8:
            return OutputFormat::kGray8;
        case kFormatRgb:
            return OutputFormat::kRgb;
        case kFormatBgrx:
            return OutputFormat::kBgrx;
        case kFormatBayer:
            return OutputFormat::kBayer;
        default:
            return std::nullopt;
    }
}

GType formatChoiceType() {
    static GType type = 0;
    if (g_once_init_enter(&type)) {
        static const GEnumValue values[] = {
            {kFormatAuto, "Chosen by negotiation", "auto"},
            {kFormatGray8, "Grey, one byte per pixel (GRAY8)", "gray8"},
            {kFormatRgb, "Colour, red first (RGB)", "rgb"},
            {kFormatBgrx, "Colour, four bytes blue first (BGRx)", "bgrx"},
            {kFormatBayer, "Raw Bayer mosaic as the camera sends it", "bayer"},
            {0, nullptr, nullptr}};
        g_once_init_leave(&type, g_enum_register_static("GstVidscopeSrcFormat", values));
    }
    return type;
}

// Everything the element keeps, as a C++ object owned by the GObject (created in init,
// deleted in finalize).
struct SourceState {
    SourceControls controls{kPropFirstControl};
    // Guards the settings below and the camera's opening and closing against caps and latency
    // queries from other threads.
    std::mutex mutex;
    SourceCamera camera;
    int cameraIndex = -1;
    std::string virtualCodes;
    int format = kFormatAuto;

    // Streaming thread only, after negotiation.
    std::optional<OutputLayout> output;
    unsigned queryBytes = 0;
    bool videoMeta = false;
    GstClockTime lastArrival = GST_CLOCK_TIME_NONE;

    std::atomic<bool> flushing{false};
    std::atomic<guint64> delivered{0};
    std::atomic<guint64> dropped{0};
    // One frame's interval, measured; the latency reported from it.
    std::atomic<GstClockTime> frameInterval{GST_CLOCK_TIME_NONE};
    std::atomic<GstClockTime> reportedLatency{GST_CLOCK_TIME_NONE};
};

}  // namespace

struct _GstVidscopeSrc {
    GstPushSrc parent;
    SourceState* state;
};

G_DEFINE_TYPE(GstVidscopeSrc, gst_vidscope_src, GST_TYPE_PUSH_SRC)

namespace {

SourceState& stateOf(gpointer object) {
    return *GST_VIDSCOPE_SRC(object)->state;
}

void setProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec) {
    SourceState& s = stateOf(object);
    if (s.controls.owns(id)) {
        const std::string refusal = s.controls.set(id, value);
        if (!refusal.empty())
            GST_ELEMENT_WARNING(object, RESOURCE, SETTINGS, ("%s", refusal.c_str()), (nullptr));
        return;
    }
    std::lock_guard lock(s.mutex);
    switch (id) {
        case kPropCamera:
            s.cameraIndex = g_value_get_int(value);
            break;
        case kPropVirtual: {
            const char* codes = g_value_get_string(value);
            s.virtualCodes = codes != nullptr ? codes : "";
            break;
        }
        case kPropFormat:
            s.format = g_value_get_enum(value);
            // A running stream switches format at the next frame.
            gst_pad_mark_reconfigure(GST_BASE_SRC_PAD(object));
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void getProperty(GObject* object, guint id, GValue* value, GParamSpec* spec) {
    SourceState& s = stateOf(object);
    if (s.controls.owns(id)) {
        s.controls.get(id, value);
        return;
    }
    std::lock_guard lock(s.mutex);
    switch (id) {
        case kPropCamera:
            g_value_set_int(value, s.camera.isOpen() ? s.camera.index() : s.cameraIndex);
            break;
        case kPropVirtual:
            g_value_set_string(value, s.virtualCodes.empty() ? nullptr : s.virtualCodes.c_str());
            break;
        case kPropFormat:
            g_value_set_enum(value, s.format);
            break;
        case kPropFramesDelivered:
            g_value_set_uint64(value, s.delivered.load());
            break;
        case kPropFramesDropped:
            g_value_set_uint64(value, s.dropped.load());
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void finalize(GObject* object) {
    delete GST_VIDSCOPE_SRC(object)->state;
    G_OBJECT_CLASS(gst_vidscope_src_parent_class)->finalize(object);
}

gboolean fireSoftwareTrigger(GstVidscopeSrc* self) {
    return self->state->controls.fireTrigger();
}

void postOpenError(GstBaseSrc* src, SourceCamera::OpenFailure failure, const std::string& text) {
    switch (failure) {
        case SourceCamera::OpenFailure::kNotFound:
            GST_ELEMENT_ERROR(src, RESOURCE, NOT_FOUND, ("%s", text.c_str()), (nullptr));
            break;
        case SourceCamera::OpenFailure::kBusy:
            GST_ELEMENT_ERROR(src, RESOURCE, BUSY, ("%s", text.c_str()), (nullptr));
            break;
        case SourceCamera::OpenFailure::kBadDeviceCodes:
            GST_ELEMENT_ERROR(src, RESOURCE, SETTINGS, ("%s", text.c_str()), (nullptr));
            break;
        default:
            GST_ELEMENT_ERROR(src, RESOURCE, OPEN_READ, ("%s", text.c_str()), (nullptr));
    }
}

gboolean start(GstBaseSrc* src) {
    SourceState& s = stateOf(src);
    std::unique_lock lock(s.mutex);
    const SourceCamera::OpenFailure failure = s.camera.open(s.cameraIndex, s.virtualCodes);
    if (failure != SourceCamera::OpenFailure::kNone) {
        postOpenError(src, failure, s.camera.message());
        return FALSE;
    }
    const int index = s.camera.index();
    lock.unlock();
    // The controls take the camera only now: until here no property call can reach it.
    const std::string refusal = s.controls.attach(index);
    lock.lock();
    if (!refusal.empty() || !s.camera.play()) {
        const std::string text = refusal.empty() ? s.camera.message() : refusal;
        lock.unlock();
        s.controls.detach();
        lock.lock();
        s.camera.close();
        GST_ELEMENT_ERROR(src, RESOURCE, SETTINGS, ("%s", text.c_str()), (nullptr));
        return FALSE;
    }
    s.output.reset();
    s.lastArrival = GST_CLOCK_TIME_NONE;
    s.delivered = 0;
    s.dropped = 0;
    s.frameInterval = GST_CLOCK_TIME_NONE;
    s.reportedLatency = GST_CLOCK_TIME_NONE;
    GST_INFO_OBJECT(src, "streaming camera %d", index);
    return TRUE;
}

gboolean stop(GstBaseSrc* src) {
    SourceState& s = stateOf(src);
    s.controls.detach();
    std::lock_guard lock(s.mutex);
    s.camera.close();
    s.output.reset();
    return TRUE;
}

GstCaps* getCaps(GstBaseSrc* src, GstCaps* filter) {
    SourceState& s = stateOf(src);
    GstCaps* caps = nullptr;
    {
        std::lock_guard lock(s.mutex);
        const std::optional<OutputFormat> only = formatOf(s.format);
        caps = s.camera.isOpen() ? SourceCaps::forCamera(s.camera.layout(), only)
                                 : SourceCaps::templateCaps(only);
    }
    if (filter != nullptr) {
        GstCaps* both = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = both;
    }
    return caps;
}

gboolean setCaps(GstBaseSrc* src, GstCaps* caps) {
    SourceState& s = stateOf(src);
    std::lock_guard lock(s.mutex);
    const std::optional<OutputLayout> output = SourceCaps::parse(caps);
    if (!output || !s.camera.isOpen()) {
        GST_WARNING_OBJECT(src, "cannot produce %" GST_PTR_FORMAT, caps);
        return FALSE;
    }
    GstCaps* possible = SourceCaps::forCamera(s.camera.layout(), formatOf(s.format));
    const bool producible = gst_caps_can_intersect(caps, possible);
    gst_caps_unref(possible);
    const unsigned bytes = s.camera.frameBytes(output->queryFlags());
    if (!producible || bytes == 0) {
        GST_WARNING_OBJECT(src, "camera %d cannot produce %" GST_PTR_FORMAT, s.camera.index(),
                           caps);
        return FALSE;
    }
    s.output = output;
    s.queryBytes = bytes;
    GST_INFO_OBJECT(src, "negotiated %" GST_PTR_FORMAT ", %u bytes a query", caps, bytes);
    return TRUE;
}

// The buffer size the pool hands out: enough for what the camera writes and for the rows as
// the caps promise them.
gsize bufferBytes(const SourceState& s) {
    const gsize promised = gsize(s.output->defaultStride()) * s.output->height;
    return std::max<gsize>(promised, s.queryBytes);
}

gboolean decideAllocation(GstBaseSrc* src, GstQuery* query) {
    SourceState& s = stateOf(src);
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

gboolean query(GstBaseSrc* src, GstQuery* q) {
    if (GST_QUERY_TYPE(q) != GST_QUERY_LATENCY)
        return GST_BASE_SRC_CLASS(gst_vidscope_src_parent_class)->query(src, q);
    SourceState& s = stateOf(src);
    {
        std::lock_guard lock(s.mutex);
        if (!s.camera.isOpen())
            return FALSE;
    }
    // A frame is stamped when it has arrived, one frame interval after its exposure began.
    GstClockTime latency = s.frameInterval.load();
    if (!GST_CLOCK_TIME_IS_VALID(latency))
        latency = GST_SECOND / 30;
    s.reportedLatency = latency;
    gst_query_set_latency(q, TRUE, latency, latency * kPoolMinBuffers);
    return TRUE;
}

gboolean unlock(GstBaseSrc* src) {
    SourceState& s = stateOf(src);
    s.flushing = true;
    {
        std::lock_guard lock(s.mutex);
        s.camera.abortWait();
    }
    if (GstBufferPool* pool = gst_base_src_get_buffer_pool(src)) {
        gst_buffer_pool_set_flushing(pool, TRUE);
        gst_object_unref(pool);
    }
    return TRUE;
}

gboolean unlockStop(GstBaseSrc* src) {
    SourceState& s = stateOf(src);
    s.flushing = false;
    // Frames that waited in the camera through a pause or flush are stale when it resumes.
    s.camera.dropStaleFrames();
    if (GstBufferPool* pool = gst_base_src_get_buffer_pool(src)) {
        gst_buffer_pool_set_flushing(pool, FALSE);
        gst_object_unref(pool);
    }
    return TRUE;
}

// Lays packed rows out at the stride the caps promise, last row first so that nothing is
// overwritten before it has moved: the frame stays in the buffer it was read into.
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

// The camera's size or the format property changed since the caps were set.
bool outputOutdated(SourceState& s) {
    std::lock_guard lock(s.mutex);
    if (!s.output)
        return true;
    const CameraLayout layout = s.camera.layout();
    return layout.width != s.output->width || layout.height != s.output->height;
}

GstFlowReturn create(GstPushSrc* push, GstBuffer** out) {
    GstBaseSrc* src = GST_BASE_SRC(push);
    SourceState& s = stateOf(push);
    const std::string refusal = s.controls.applyDeferred();
    if (!refusal.empty())
        GST_ELEMENT_WARNING(src, RESOURCE, SETTINGS, ("%s", refusal.c_str()), (nullptr));
    while (true) {
        if (s.flushing)
            return GST_FLOW_FLUSHING;
        if (outputOutdated(s) && !gst_base_src_negotiate(src)) {
            GST_ELEMENT_ERROR(src, CORE, NEGOTIATION,
                              ("the camera's new frame size cannot be negotiated downstream"),
                              (nullptr));
            return GST_FLOW_NOT_NEGOTIATED;
        }
        GstBufferPool* pool = gst_base_src_get_buffer_pool(src);
        if (pool == nullptr)
            return GST_FLOW_NOT_NEGOTIATED;
        GstBuffer* buffer = nullptr;
        const GstFlowReturn acquired = gst_buffer_pool_acquire_buffer(pool, &buffer, nullptr);
        gst_object_unref(pool);
        if (acquired != GST_FLOW_OK)
            return acquired;
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
            gst_buffer_unref(buffer);
            return GST_FLOW_ERROR;
        }
        const SourceCamera::Grab result =
            s.camera.grab(map.data, s.queryBytes, s.output->queryFlags());
        if (result == SourceCamera::Grab::kFrame && !s.videoMeta &&
            s.output->defaultStride() != s.output->packedStride())
            spreadRows(map.data, *s.output);
        gst_buffer_unmap(buffer, &map);
        switch (result) {
            case SourceCamera::Grab::kFrame:
                finishFrame(src, s, buffer);
                *out = buffer;
                return GST_FLOW_OK;
            case SourceCamera::Grab::kLost:
                gst_buffer_unref(buffer);
                GST_ELEMENT_ERROR(src, RESOURCE, READ,
                                  ("camera %d was unplugged or stopped answering (%s): check "
                                   "its cable, then restart the pipeline",
                                   s.camera.index(), s.camera.lastErrorName()),
                                  (nullptr));
                return GST_FLOW_ERROR;
            case SourceCamera::Grab::kDropped:
                postDrop(src, s, s.camera.lastErrorName());
                break;
            case SourceCamera::Grab::kAborted:
            case SourceCamera::Grab::kWaiting:
                break;
        }
        gst_buffer_unref(buffer);
    }
}

}  // namespace

static void gst_vidscope_src_class_init(GstVidscopeSrcClass* klass) {
    GObjectClass* object = G_OBJECT_CLASS(klass);
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    GstBaseSrcClass* base = GST_BASE_SRC_CLASS(klass);
    object->set_property = setProperty;
    object->get_property = getProperty;
    object->finalize = finalize;

    const auto readWrite = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
    const auto readOnly = GParamFlags(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS);
    g_object_class_install_property(
        object, kPropCamera,
        g_param_spec_int("camera", "Camera",
                         "Index of the camera (vidscope-cli list); -1 takes the first virtual "
                         "camera of the virtual property, else camera 0",
                         -1, 255, -1, GParamFlags(readWrite | GST_PARAM_MUTABLE_READY)));
    g_object_class_install_property(
        object, kPropVirtual,
        g_param_spec_string("virtual", "Virtual cameras",
                            "Attach virtual cameras by hexadecimal device codes (\"3E00,0500\") "
                            "when the element starts, as vidscope-cli --virtual-camera does",
                            nullptr, GParamFlags(readWrite | GST_PARAM_MUTABLE_READY)));
    g_object_class_install_property(
        object, kPropFormat,
        g_param_spec_enum("format", "Format", "Output format; auto leaves it to negotiation",
                          formatChoiceType(), kFormatAuto,
                          GParamFlags(readWrite | GST_PARAM_MUTABLE_PLAYING)));
    g_object_class_install_property(
        object, kPropFramesDelivered,
        g_param_spec_uint64("frames-delivered", "Frames delivered",
                            "Frames pushed since the stream started", 0, G_MAXUINT64, 0, readOnly));
    g_object_class_install_property(
        object, kPropFramesDropped,
        g_param_spec_uint64("frames-dropped", "Frames dropped",
                            "Frames the camera lost or spoiled since the stream started (each "
                            "also posted as a QoS message)",
                            0, G_MAXUINT64, 0, readOnly));
    SourceControls::installProperties(object, kPropFirstControl);

    g_signal_new_class_handler("software-trigger", G_TYPE_FROM_CLASS(klass),
                               GSignalFlags(G_SIGNAL_RUN_LAST | G_SIGNAL_ACTION),
                               G_CALLBACK(fireSoftwareTrigger), nullptr, nullptr, nullptr,
                               G_TYPE_BOOLEAN, 0);

    GstCaps* caps = SourceCaps::templateCaps(std::nullopt);
    gst_element_class_add_pad_template(
        element, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);
    gst_element_class_set_static_metadata(
        element, "vidScope camera source", "Source/Video/Hardware",
        "Streams an industrial USB camera (or a virtual one) through the vidScope camera API",
        "The vidScope developers <vidscope@users.noreply.github.com>");
    gst_type_mark_as_plugin_api(formatChoiceType(), GstPluginAPIFlags(0));

    base->start = start;
    base->stop = stop;
    base->get_caps = getCaps;
    base->set_caps = setCaps;
    base->decide_allocation = decideAllocation;
    base->query = query;
    base->unlock = unlock;
    base->unlock_stop = unlockStop;
    GST_PUSH_SRC_CLASS(klass)->create = create;
    GST_DEBUG_CATEGORY_INIT(vidscope_src_debug, "vidscopesrc", 0, "vidScope camera source");
}

static void gst_vidscope_src_init(GstVidscopeSrc* self) {
    self->state = new SourceState;
    gst_base_src_set_live(GST_BASE_SRC(self), TRUE);
    gst_base_src_set_format(GST_BASE_SRC(self), GST_FORMAT_TIME);
    gst_base_src_set_do_timestamp(GST_BASE_SRC(self), TRUE);
}

gboolean vidscope_gst_plugin_init(GstPlugin* plugin) {
    return gst_element_register(plugin, "vidscopesrc", GST_RANK_NONE, GST_TYPE_VIDSCOPE_SRC);
}

gboolean vidscope_gst_register_static(void) {
    return gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, "vidscope",
                                      "Industrial USB cameras through the vidScope camera API",
                                      vidscope_gst_plugin_init, VIDSCOPE_VERSION, "MIT", "vidScope",
                                      "vidScope", "https://github.com/vidscope/vidscope");
}
