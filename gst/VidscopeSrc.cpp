// SPDX-License-Identifier: MIT
// vidscopesrc: a live GStreamer source streaming one camera through the flat camera API.
#include "gst/VidscopeSrc.h"

#include <gst/video/video.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "gst/SourceBuffers.h"
#include "gst/SourceCamera.h"
#include "gst/SourceCaps.h"
#include "gst/SourceControls.h"
#include "gst/SourceState.h"

GST_DEBUG_CATEGORY(vidscope_src_debug);
#define GST_CAT_DEFAULT vidscope_src_debug

using vidscope::gst::CameraLayout;
using vidscope::gst::finishFrame;
using vidscope::gst::kPoolMinBuffers;
using vidscope::gst::OutputFormat;
using vidscope::gst::OutputLayout;
using vidscope::gst::postDrop;
using vidscope::gst::SourceCamera;
using vidscope::gst::SourceCaps;
using vidscope::gst::SourceControls;
using vidscope::gst::SourceState;
using vidscope::gst::spreadRows;

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

void setProperty(GObject* object, guint id, const GValue* value, GParamSpec* param) {
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
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
    }
}

void getProperty(GObject* object, guint id, GValue* value, GParamSpec* param) {
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
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
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

gboolean decideAllocationOf(GstBaseSrc* src, GstQuery* query) {
    return vidscope::gst::decideAllocation(stateOf(src), query);
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
    base->decide_allocation = decideAllocationOf;
    base->query = query;
    base->unlock = unlock;
    base->unlock_stop = unlockStop;
    GST_PUSH_SRC_CLASS(klass)->create = create;
    GST_DEBUG_CATEGORY_INIT(vidscope_src_debug, "vidscopesrc", 0, "vidScope camera source");
}

static void gst_vidscope_src_init(GstVidscopeSrc* self) {
    self->state = new SourceState(kPropFirstControl);
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
