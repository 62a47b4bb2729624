// SPDX-License-Identifier: MIT
// Test fixture: virtual cameras plugged into this process and vidscopesrc pipelines over them.
#pragma once

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gst/VidscopeSrc.h"
#include "sim/CameraFirmware.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"
#include "vidscope/camera_api.h"

namespace vidscope::gst::test {

// One frame pulled from the appsink: its caps and bytes.
struct Frame {
    std::string mediaType;
    std::string format;
    int width = 0;
    int height = 0;
    GstClockTime pts = GST_CLOCK_TIME_NONE;
    guint64 offset = GST_BUFFER_OFFSET_NONE;
    std::vector<guint8> bytes;

    double mean() const {
        double sum = 0;
        for (guint8 b : bytes)
            sum += b;
        return bytes.empty() ? 0 : sum / double(bytes.size());
    }
};

// A parsed pipeline whose source is named "src" and whose appsink (when there is one) "sink";
// set to NULL and freed on every way out of a test.
class Pipeline {
public:
    explicit Pipeline(const std::string& description) {
        GError* error = nullptr;
        pipeline_ = gst_parse_launch(description.c_str(), &error);
        if (error != nullptr) {
            ADD_FAILURE() << description << ": " << error->message;
            g_error_free(error);
        }
        if (pipeline_ != nullptr) {
            src_ = gst_bin_get_by_name(GST_BIN(pipeline_), "src");
            sink_ = gst_bin_get_by_name(GST_BIN(pipeline_), "sink");
            bus_ = gst_element_get_bus(pipeline_);
        }
    }
    ~Pipeline() {
        if (pipeline_ != nullptr)
            gst_element_set_state(pipeline_, GST_STATE_NULL);
        for (GstObject* object :
             {GST_OBJECT(src_), GST_OBJECT(sink_), GST_OBJECT(bus_), GST_OBJECT(pipeline_)}) {
            if (object != nullptr)
                gst_object_unref(object);
        }
    }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    GstElement* src() const { return src_; }
    GstElement* element() const { return pipeline_; }

    // The state change's final outcome (waits for asynchronous ones).
    GstStateChangeReturn setState(GstState state) {
        gst_element_set_state(pipeline_, state);
        return gst_element_get_state(pipeline_, nullptr, nullptr, 10 * GST_SECOND);
    }
    bool play() { return setState(GST_STATE_PLAYING) == GST_STATE_CHANGE_SUCCESS; }

    // The next frame, or nothing after the timeout, an error or the end of the stream.
    std::optional<Frame> pull(GstClockTime timeout = 10 * GST_SECOND) {
        GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink_), timeout);
        if (sample == nullptr)
            return std::nullopt;
        Frame frame;
        const GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
        frame.mediaType = gst_structure_get_name(s);
        if (const char* format = gst_structure_get_string(s, "format"))
            frame.format = format;
        gst_structure_get_int(s, "width", &frame.width);
        gst_structure_get_int(s, "height", &frame.height);
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        frame.pts = GST_BUFFER_PTS(buffer);
        frame.offset = GST_BUFFER_OFFSET(buffer);
        frame.bytes.resize(gst_buffer_get_size(buffer));
        gst_buffer_extract(buffer, 0, frame.bytes.data(), frame.bytes.size());
        gst_sample_unref(sample);
        return frame;
    }

    // The next message of these types within `timeout`; null if none came. Unref it.
    GstMessage* waitFor(GstMessageType types, GstClockTime timeout = 10 * GST_SECOND) {
        return gst_bus_timed_pop_filtered(bus_, timeout, types);
    }
    // The text and details of the next error (empty when none came within the timeout).
    std::string errorText(GstClockTime timeout = 10 * GST_SECOND) {
        GstMessage* message = waitFor(GST_MESSAGE_ERROR, timeout);
        if (message == nullptr)
            return {};
        GError* error = nullptr;
        gchar* details = nullptr;
        gst_message_parse_error(message, &error, &details);
        std::string text = error->message;
        if (details != nullptr)
            text += std::string(" | ") + details;
        g_error_free(error);
        g_free(details);
        gst_message_unref(message);
        return text;
    }

private:
    GstElement* pipeline_ = nullptr;
    GstElement* src_ = nullptr;
    GstElement* sink_ = nullptr;
    GstBus* bus_ = nullptr;
};

class PipelineFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        gst_init(nullptr, nullptr);
        static const bool registered = vidscope_gst_register_static();
        ASSERT_TRUE(registered);
    }

    void SetUp() override {
        ASSERT_TRUE(host::Driver::instance().attachedPorts().empty())
            << "another test left a camera plugged in";
    }

    void TearDown() override {
        for (host::Driver::PortId id : host::Driver::instance().attachedPorts())
            host::Driver::instance().detach(id);
    }

    // Plugs a virtual camera (EEPROM in memory, unpaced) and returns its firmware.
    std::shared_ptr<sim::CameraFirmware> plug(uint16_t productId) {
        sim::FirmwareOptions options;
        options.persistEeprom = false;
        options.stateDirectory = std::filesystem::path();
        options.unpaced = true;
        auto port = host::VirtualPort::create(productId, options);
        EXPECT_NE(port, nullptr);
        if (port == nullptr)
            return nullptr;
        ports_.push_back(host::Driver::instance().attach(port));
        return port->firmware();
    }

    // Pulls the camera out as a cable would go: mid-stream, without warning.
    void unplug(size_t which, sim::CameraFirmware& firmware) {
        firmware.unplug();
        host::Driver::instance().detach(ports_.at(which));
    }

    static std::string sinkFor(const std::string& caps) {
        return "! " + caps + " ! appsink name=sink sync=false max-buffers=4 drop=false";
    }

private:
    std::vector<host::Driver::PortId> ports_;
};

}  // namespace vidscope::gst::test
