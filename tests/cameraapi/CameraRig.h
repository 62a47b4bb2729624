// SPDX-License-Identifier: MIT
// Test fixture plugging virtual cameras into the driver, plus a scripted bulk-in stream.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/CameraSlots.h"
#include "sim/BulkInSource.h"
#include "sim/CameraFirmware.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"
#include "vidscope/camera_api.h"

namespace vidscope::api::test {

// Every frame of the scripted stream has the bytes byteAt(frame, offset), so a test can tell
// exactly which frame, and which part of it, ended up where.
class PatternSource : public sim::BulkInSource {
public:
    static uint8_t byteAt(uint32_t frame, size_t offset) {
        return static_cast<uint8_t>(frame * 31u + offset * 7u + (offset >> 11));
    }
    static bool matches(const std::vector<uint8_t>& image, uint32_t frame) {
        for (size_t i = 0; i < image.size(); ++i) {
            if (image[i] != byteAt(frame, i))
                return false;
        }
        return true;
    }

    // Frames of these lengths are sent next, each numbered in order from 0.
    void send(std::vector<size_t> lengths) {
        std::lock_guard lock(mutex_);
        frames_.insert(frames_.end(), lengths.begin(), lengths.end());
        changed_.notify_all();
    }

    // Fills one transfer like the camera does: up to the end of the frame, with a zero-length
    // transfer after a frame that filled its last transfer exactly; waits while nothing is due.
    sim::BulkResult readBulk(std::span<uint8_t> buffer, std::stop_token cancel) override {
        std::unique_lock lock(mutex_);
        if (!changed_.wait(lock, cancel, [&] { return zeroLengthDue_ || !frames_.empty(); }))
            return {sim::BulkOutcome::Cancelled, 0};
        if (zeroLengthDue_) {
            zeroLengthDue_ = false;
            return {sim::BulkOutcome::Data, 0};
        }
        const size_t n = std::min(buffer.size(), frames_.front() - sent_);
        for (size_t i = 0; i < n; ++i)
            buffer[i] = byteAt(number_, sent_ + i);
        sent_ += n;
        if (sent_ == frames_.front()) {
            frames_.pop_front();
            ++number_;
            sent_ = 0;
            zeroLengthDue_ = n == buffer.size();
        }
        return {sim::BulkOutcome::Data, static_cast<uint32_t>(n)};
    }

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::deque<size_t> frames_;
    size_t sent_ = 0;
    uint32_t number_ = 0;
    bool zeroLengthDue_ = false;
};

// Plugs virtual cameras (EEPROM in memory only, unpaced stream) and takes every camera and
// slot away again after the test, even when it failed half-way.
class CameraRig : public ::testing::Test {
protected:
    static sim::FirmwareOptions memoryOnly() {
        sim::FirmwareOptions options;
        options.persistEeprom = false;
        options.stateDirectory = std::filesystem::path();
        options.unpaced = true;
        return options;
    }

    void SetUp() override {
        ASSERT_TRUE(host::Driver::instance().attachedPorts().empty())
            << "another test left a device plugged in";
    }

    void TearDown() override {
        for (int index : opened_)
            CameraFree(index);
        for (host::Driver::PortId id : host::Driver::instance().attachedPorts())
            host::Driver::instance().detach(id);
    }

    std::shared_ptr<host::VirtualPort> plug(uint16_t productId,
                                            sim::FirmwareOptions options = memoryOnly()) {
        std::shared_ptr<host::VirtualPort> port = host::VirtualPort::create(productId, options);
        EXPECT_NE(port, nullptr);
        if (port)
            ids_[port.get()] = host::Driver::instance().attach(port);
        return port;
    }

    // A device of the driver's class that presents other vendor and product ids.
    std::shared_ptr<host::VirtualPort> plugAs(uint16_t productId, uint16_t vendorId,
                                              uint16_t presentedProductId) {
        std::shared_ptr<host::VirtualPort> port =
            host::VirtualPort::create(productId, memoryOnly());
        std::vector<uint8_t> device = port->camera().descriptors().device();
        device[8] = static_cast<uint8_t>(vendorId);
        device[9] = static_cast<uint8_t>(vendorId >> 8);
        device[10] = static_cast<uint8_t>(presentedProductId);
        device[11] = static_cast<uint8_t>(presentedProductId >> 8);
        port->camera().descriptors().replaceDevice(device);
        ids_[port.get()] = host::Driver::instance().attach(port);
        return port;
    }

    void unplug(const std::shared_ptr<host::VirtualPort>& port) {
        host::Driver::instance().detach(ids_.at(port.get()));
    }

    // The same camera, unplugged before, on a new port of the driver.
    std::shared_ptr<host::VirtualPort> replug(const std::shared_ptr<host::VirtualPort>& old) {
        auto port = std::make_shared<host::VirtualPort>(old->sharedCamera());
        ids_[port.get()] = host::Driver::instance().attach(port);
        return port;
    }

    // CameraInit, remembered so that TearDown closes it.
    bool open(int index) {
        opened_.insert(index);
        return CameraInit(index);
    }

    static CameraContext& context(int index) { return *CameraSlots::at(index); }

    // What a resolution change would have told the context: the camera's frame geometry.
    static void takeGeometry(int index, uint32_t width, uint32_t height, uint32_t bytesPerPixel) {
        CameraContext& c = context(index);
        c.width = width;
        c.height = height;
        c.bytesPerPixel = bytesPerPixel;
    }
    static void takeGeometry(int index, const sim::CameraFirmware& firmware) {
        const sim::FrameGeometry g = firmware.geometry();
        takeGeometry(index, g.width, g.height, g.bytesPerPixel);
    }

private:
    std::map<const host::VirtualPort*, host::Driver::PortId> ids_;
    std::set<int> opened_;
};

}  // namespace vidscope::api::test
