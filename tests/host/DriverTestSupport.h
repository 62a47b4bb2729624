// SPDX-License-Identifier: MIT
// Request blocks, a scriptable non-virtual port and a fixture that plugs ports into the driver.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ScriptedBulkSource.h"
#include "usb/host/Driver.h"
#include "usb/host/IoControlCode.h"
#include "usb/host/RequestRecord.h"
#include "usb/host/SystemError.h"
#include "usb/host/VirtualPort.h"

namespace vidscope::test {

using host::RequestRecord;

inline std::vector<uint8_t> controlBlock(uint8_t type, uint8_t request, uint16_t value,
                                         uint16_t index, uint16_t length, uint32_t timeout = 0) {
    std::vector<uint8_t> block(RequestRecord::kSize + length, 0xEE);
    RequestRecord r;
    r.bmRequestType = type;
    r.bRequest = request;
    r.wValue = value;
    r.wIndex = index;
    r.wLength = length;
    r.timeoutSeconds = timeout;
    r.dataOffset = RequestRecord::kSize;
    r.dataLength = length;
    r.ntStatus = r.usbdStatus = 0xFFFFFFFF;  // the driver must overwrite both
    r.encode(block);
    return block;
}

inline std::vector<uint8_t> bufferedBlock(uint8_t endpoint, uint32_t length) {
    std::vector<uint8_t> block(RequestRecord::kSize + length, 0xEE);
    RequestRecord r;
    r.endpointAddress = endpoint;
    r.dataOffset = RequestRecord::kSize;
    r.dataLength = length;
    r.ntStatus = r.usbdStatus = 0xFFFFFFFF;
    r.encode(block);
    return block;
}

inline std::vector<uint8_t> directRecord(uint8_t endpoint) {
    std::vector<uint8_t> record(RequestRecord::kSize, 0);
    RequestRecord r;
    r.endpointAddress = endpoint;
    r.encode(record);
    return record;
}

inline RequestRecord recordOf(const std::vector<uint8_t>& block) {
    return *RequestRecord::decode(block);
}

// A non-virtual port that completes every transfer at once with a scripted outcome.
class ScriptedPort : public host::Port {
public:
    explicit ScriptedPort(std::string key) : key_(std::move(key)) {}
    host::TransferStatus status = host::TransferStatus::Completed;
    uint32_t length = 0;
    std::vector<host::PortTransfer> submitted;

    host::PortDescription description() const override {
        return {0x1234, 0x0001, host::UsbSpeed::Full, 9, key_, "Scripted", "Scripted port"};
    }
    uint32_t open() override { return 0; }
    void close() override {}
    void submit(std::shared_ptr<host::PortTransfer> transfer) override {
        submitted.push_back(*transfer);
        transfer->onComplete(status, length);
    }
    void cancel(uint8_t) override {}
    bool clearHalt(uint8_t) override { return false; }
    bool setTransferSize(uint8_t, uint32_t) override { return true; }
    bool cyclePort() override { return true; }
    bool resetParentPort() override { return true; }
    int alternateSetting() override { return -1; }

private:
    std::string key_;
};

// Plugs ports into the process-wide driver and unplugs them (and closes handles) afterwards,
// so each test sees only what it attached.
class DriverFixture : public ::testing::Test {
protected:
    host::Driver& driver = host::Driver::instance();

    void TearDown() override {
        for (host::Handle h : handles_)
            driver.close(h);
        for (host::Driver::PortId id : ids_)
            driver.detach(id);
    }

    host::Driver::PortId plug(std::shared_ptr<host::Port> port) {
        ids_.push_back(driver.attach(std::move(port)));
        return ids_.back();
    }

    // A virtual camera with a scripted bulk source, attached and opened.
    struct Plugged {
        std::shared_ptr<host::VirtualPort> port;
        std::shared_ptr<ScriptedBulkSource> source;
        host::Driver::PortId id;
        host::Handle handle;
    };
    Plugged plugVirtual(uint16_t productId) {
        Plugged p;
        p.port = host::VirtualPort::create(productId);
        p.source = std::make_shared<ScriptedBulkSource>();
        p.port->camera().setBulkSource(p.source);
        p.id = plug(p.port);
        p.handle = openTracked(driver.pathOf(p.id));
        return p;
    }

    host::Handle openTracked(const std::string& path) {
        host::Handle h = driver.open(path);
        if (h != host::kInvalidHandle)
            handles_.push_back(h);
        return h;
    }

private:
    std::vector<host::Driver::PortId> ids_;
    std::vector<host::Handle> handles_;
};

}  // namespace vidscope::test
