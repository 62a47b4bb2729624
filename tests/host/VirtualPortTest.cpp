// SPDX-License-Identifier: MIT
// The virtual port on its own: ordering, early ending, re-enumeration and fault outcomes.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "ScriptedBulkSource.h"
#include "usb/host/Event.h"
#include "usb/host/VirtualPort.h"

namespace vidscope::test {
namespace {

using namespace host;

// Collects completions of transfers submitted straight to a port.
class Completions {
public:
    std::shared_ptr<PortTransfer> bulk(uint8_t tag, std::vector<uint8_t>& buffer) {
        auto t = std::make_shared<PortTransfer>();
        t->type = EndpointType::Bulk;
        t->endpoint = 0x81;
        t->buffer = buffer;
        t->onComplete = [this, tag](TransferStatus status, uint32_t length) {
            std::lock_guard lock(mutex_);
            seen_.push_back({tag, status, length});
            if (seen_.size() >= expected_)
                done_.set();
        };
        return t;
    }
    struct Seen {
        uint8_t tag;
        TransferStatus status;
        uint32_t length;
    };
    std::vector<Seen> waitFor(size_t count) {
        {
            std::lock_guard lock(mutex_);
            expected_ = count;
            if (seen_.size() >= count) {
                done_.set();
            } else {
                done_.reset();
            }
        }
        EXPECT_TRUE(done_.wait(10000));
        std::lock_guard lock(mutex_);
        return seen_;
    }
    size_t count() {
        std::lock_guard lock(mutex_);
        return seen_.size();
    }

private:
    std::mutex mutex_;
    std::vector<Seen> seen_;
    size_t expected_ = ~size_t{0};
    Event done_{Event::Reset::Manual};
};

struct PortUnderTest {
    std::shared_ptr<VirtualPort> port = VirtualPort::create(0x3E00);
    std::shared_ptr<ScriptedBulkSource> source = std::make_shared<ScriptedBulkSource>();
    PortUnderTest() {
        port->camera().setBulkSource(source);
        EXPECT_EQ(port->open(), 0u);
    }
};

TEST(VirtualPort, DescribesItsCamera) {
    auto a = VirtualPort::create(0x3E00);
    auto b = VirtualPort::create(0x0100);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(VirtualPort::create(0x9999), nullptr);
    const PortDescription da = a->description(), db = b->description();
    EXPECT_EQ(da.key, "virtual-" + std::to_string(a->number()));
    EXPECT_NE(da.key, db.key);
    EXPECT_NE(da.address, db.address);
    EXPECT_EQ(da.speed, UsbSpeed::Super);
    EXPECT_EQ(db.speed, UsbSpeed::High);
    EXPECT_EQ(da.vendorId, 0xA7B7);
    EXPECT_EQ(db.productId, 0x0100);
    EXPECT_EQ(db.deviceName, "Virtual VS-M100C #" + std::to_string(b->number()));
    // The ids come from the device descriptor the camera presents.
    std::vector<uint8_t> device = a->camera().descriptors().device();
    device[8] = 0x34;
    device[9] = 0x12;
    a->camera().descriptors().replaceDevice(device);
    EXPECT_EQ(a->description().vendorId, 0x1234);
}

TEST(VirtualPort, BulkTransfersCompleteInSubmissionOrder) {
    PortUnderTest t;
    Completions c;
    std::vector<std::vector<uint8_t>> buffers(5, std::vector<uint8_t>(8));
    for (uint8_t i = 0; i < 5; ++i)
        t.port->submit(c.bulk(i, buffers[i]));
    for (uint8_t i = 0; i < 5; ++i)
        t.source->push(std::vector<uint8_t>(i + 1, uint8_t(10 + i)));
    const auto seen = c.waitFor(5);
    for (uint8_t i = 0; i < 5; ++i) {
        EXPECT_EQ(seen[i].tag, i);
        EXPECT_EQ(seen[i].status, TransferStatus::Completed);
        EXPECT_EQ(seen[i].length, i + 1u);
        EXPECT_EQ(buffers[i][0], 10 + i);
    }
}

TEST(VirtualPort, FaultsOfTheStreamMapToTransferStatuses) {
    PortUnderTest t;
    Completions c;
    std::vector<std::vector<uint8_t>> buffers(4, std::vector<uint8_t>(8));
    t.source->push(std::vector<uint8_t>(20, 1));  // more than the 8-byte buffer
    t.source->push({}, sim::BulkOutcome::Stall);
    t.source->push({}, sim::BulkOutcome::Error);
    t.source->push({}, sim::BulkOutcome::Disconnected);
    for (uint8_t i = 0; i < 4; ++i)
        t.port->submit(c.bulk(i, buffers[i]));
    const auto seen = c.waitFor(4);
    EXPECT_EQ(seen[0].status, TransferStatus::Overflow);
    EXPECT_EQ(seen[0].length, 8u);
    EXPECT_EQ(seen[1].status, TransferStatus::Stall);
    EXPECT_EQ(seen[2].status, TransferStatus::Error);
    EXPECT_EQ(seen[3].status, TransferStatus::NoDevice);
}

TEST(VirtualPort, CloseEndsEverythingAndRefusesUntilReopened) {
    PortUnderTest t;
    Completions c;
    std::vector<std::vector<uint8_t>> buffers(3, std::vector<uint8_t>(8));
    for (uint8_t i = 0; i < 3; ++i)
        t.port->submit(c.bulk(i, buffers[i]));
    t.source->waitForReads(1);
    t.port->close();
    EXPECT_EQ(c.count(), 3u) << "close returns only after every completion";
    for (const auto& s : c.waitFor(3))
        EXPECT_EQ(s.status, TransferStatus::NoDevice);

    t.port->submit(c.bulk(9, buffers[0]));
    EXPECT_EQ(c.count(), 4u) << "refused at once";
    EXPECT_EQ(c.waitFor(4)[3].status, TransferStatus::NoDevice);

    EXPECT_EQ(t.port->open(), 0u);
    t.source->push({5});
    t.port->submit(c.bulk(10, buffers[1]));
    EXPECT_EQ(c.waitFor(5)[4].status, TransferStatus::Completed);
}

TEST(VirtualPort, CyclePortEndsPendingTransfersAndResetsTheDevice) {
    PortUnderTest t;
    Completions c;
    std::vector<uint8_t> buffer(8);
    t.port->camera().setBulkSource(nullptr);
    sim::ControlSetup setHalt{0x02, sim::kSetFeature, sim::kFeatureEndpointHalt, 0x81, 0};
    EXPECT_EQ(t.port->camera().control(setHalt, {}).outcome, sim::ControlOutcome::Ack);
    t.port->submit(c.bulk(0, buffer));  // fails at once: the endpoint is halted
    EXPECT_EQ(c.waitFor(1)[0].status, TransferStatus::Stall);
    EXPECT_TRUE(t.port->clearHalt(0x81));
    EXPECT_FALSE(t.port->camera().bulkHalted());

    t.port->submit(c.bulk(1, buffer));
    t.port->submit(c.bulk(2, buffer));
    EXPECT_TRUE(t.port->cyclePort());
    const auto seen = c.waitFor(3);
    EXPECT_EQ(seen[1].status, TransferStatus::NoDevice);
    EXPECT_EQ(seen[2].status, TransferStatus::NoDevice);
    EXPECT_EQ(t.port->alternateSetting(), 0);
    EXPECT_EQ(t.port->camera().configurationValue(), 1);
}

TEST(VirtualPort, ControlTransfersCompleteInsideSubmit) {
    PortUnderTest t;
    std::vector<uint8_t> buffer(64);
    TransferStatus status = TransferStatus::Error;
    uint32_t length = 0;
    auto control = std::make_shared<PortTransfer>();
    control->type = EndpointType::Control;
    control->setup = {0x80, sim::kGetDescriptor, 0x0100, 0, 8};  // wLength caps the 64 bytes
    control->buffer = buffer;
    control->onComplete = [&](TransferStatus s, uint32_t n) {
        status = s;
        length = n;
    };
    t.port->submit(control);
    EXPECT_EQ(status, TransferStatus::Completed);
    EXPECT_EQ(length, 8u);
    t.port->camera().setConnected(false);
    t.port->submit(control);
    EXPECT_EQ(status, TransferStatus::NoDevice);
    EXPECT_EQ(t.port->alternateSetting(), -1);
}

}  // namespace
}  // namespace vidscope::test
