// SPDX-License-Identifier: MIT
// Standard requests, vendor forwarding and the bulk endpoint of the virtual camera's USB device.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "ScriptedBulkSource.h"
#include "sim/VirtualCamera.h"

namespace vidscope::sim {
namespace {

ControlResult request(VirtualCamera& cam, uint8_t type, uint8_t req, uint16_t value, uint16_t index,
                      std::vector<uint8_t>& data) {
    return cam.control({type, req, value, index, static_cast<uint16_t>(data.size())}, data);
}

ControlOutcome outcomeOf(VirtualCamera& cam, uint8_t type, uint8_t req, uint16_t value,
                         uint16_t index = 0, size_t length = 0) {
    std::vector<uint8_t> data(length);
    return request(cam, type, req, value, index, data).outcome;
}

TEST(VirtualCamera, GetDescriptorReturnsBlocksTruncatedToTheRequest) {
    VirtualCamera cam(*findVirtualModel(0x3E00));
    std::vector<uint8_t> head(9);
    ControlResult r = request(cam, 0x80, kGetDescriptor, 0x0200, 0, head);
    ASSERT_EQ(r.outcome, ControlOutcome::Ack);
    EXPECT_EQ(r.length, 9u);
    const uint16_t total = static_cast<uint16_t>(head[2] | (head[3] << 8));

    std::vector<uint8_t> full(total + 10);  // asking for more than exists is not an error
    r = request(cam, 0x80, kGetDescriptor, 0x0200, 0, full);
    EXPECT_EQ(r.length, total);
    full.resize(r.length);
    EXPECT_EQ(full, cam.descriptors().configuration(0));

    std::vector<uint8_t> bos(5);
    EXPECT_EQ(request(cam, 0x80, kGetDescriptor, 0x0F00, 0, bos).outcome, ControlOutcome::Ack);
    EXPECT_EQ(bos[1], kBosDescriptor);

    // What does not exist stalls: a second configuration, string 9, a non-zero device index,
    // and a BOS on a USB 2 device.
    EXPECT_EQ(outcomeOf(cam, 0x80, kGetDescriptor, 0x0201, 0, 9), ControlOutcome::Stall);
    EXPECT_EQ(outcomeOf(cam, 0x80, kGetDescriptor, 0x0309, 0x0409, 2), ControlOutcome::Stall);
    EXPECT_EQ(outcomeOf(cam, 0x80, kGetDescriptor, 0x0101, 0, 18), ControlOutcome::Stall);
    VirtualCamera usb2(*findVirtualModel(0x0500));
    EXPECT_EQ(outcomeOf(usb2, 0x80, kGetDescriptor, 0x0F00, 0, 5), ControlOutcome::Stall);
    // A GET_DESCRIPTOR sent as an OUT request is malformed.
    EXPECT_EQ(outcomeOf(cam, 0x00, kGetDescriptor, 0x0100, 0, 18), ControlOutcome::Stall);
}

TEST(VirtualCamera, HostileDescriptorsAreServedAsInjected) {
    VirtualCamera cam(*findVirtualModel(0x012B));
    const std::vector<uint8_t> lying = {9, 2, 0x00, 0x10, 1, 1, 0, 0x80, 50, 0, 4};
    cam.descriptors().replaceConfiguration(0, lying);
    cam.descriptors().replaceString(2, {0x07, 3, 'A', 0, 'B'});  // odd length
    std::vector<uint8_t> data(4096);
    ControlResult r = request(cam, 0x80, kGetDescriptor, 0x0200, 0, data);
    ASSERT_EQ(r.outcome, ControlOutcome::Ack);
    data.resize(r.length);
    EXPECT_EQ(data, lying) << "wTotalLength claims 4096, only the bytes that exist come back";

    std::vector<uint8_t> two(2);
    request(cam, 0x80, kGetDescriptor, 0x0302, 0x0409, two);
    EXPECT_EQ(two, (std::vector<uint8_t>{0x07, 3}));
}

TEST(VirtualCamera, ConfigurationInterfaceAndHaltState) {
    VirtualCamera cam(*findVirtualModel(0x0030));
    std::vector<uint8_t> one(1), two(2);
    request(cam, 0x80, kGetConfiguration, 0, 0, one);
    EXPECT_EQ(one[0], 1) << "enumerated devices are configured";
    EXPECT_EQ(request(cam, 0x81, kGetInterface, 0, 0, one).length, 1u);
    EXPECT_EQ(one[0], 0);

    EXPECT_EQ(outcomeOf(cam, 0x02, kSetFeature, kFeatureEndpointHalt, 0x81), ControlOutcome::Ack);
    request(cam, 0x82, kGetStatus, 0, 0x81, two);
    EXPECT_EQ(two[0], 1) << "halt bit";
    cam.setBulkSource(std::make_shared<test::ScriptedBulkSource>());
    std::vector<uint8_t> buffer(16);
    EXPECT_EQ(cam.readBulk(buffer, {}).outcome, BulkOutcome::Stall) << "halted endpoint";
    EXPECT_EQ(outcomeOf(cam, 0x02, kClearFeature, kFeatureEndpointHalt, 0x81), ControlOutcome::Ack);
    request(cam, 0x82, kGetStatus, 0, 0x81, two);
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(outcomeOf(cam, 0x82, kGetStatus, 0, 0x02, 2), ControlOutcome::Stall)
        << "no endpoint 2";

    EXPECT_EQ(outcomeOf(cam, 0x00, kSetConfiguration, 2), ControlOutcome::Stall);
    EXPECT_EQ(outcomeOf(cam, 0x00, kSetConfiguration, 0), ControlOutcome::Ack);
    EXPECT_EQ(cam.configurationValue(), 0);
    EXPECT_EQ(outcomeOf(cam, 0x81, kGetInterface, 0, 0, 1), ControlOutcome::Stall)
        << "an unconfigured device has no interface";
    EXPECT_EQ(outcomeOf(cam, 0x01, kSetInterface, 0), ControlOutcome::Stall);
    cam.resetDeviceState();
    EXPECT_EQ(cam.configurationValue(), 1);
    EXPECT_EQ(outcomeOf(cam, 0x01, kSetInterface, 1), ControlOutcome::Stall) << "no alt 1";
    EXPECT_EQ(outcomeOf(cam, 0x01, kSetInterface, 0), ControlOutcome::Ack);
}

class RecordingHandler : public VendorRequestHandler {
public:
    ControlResult handleVendorRequest(const ControlSetup& setup, std::span<uint8_t> data) override {
        last = setup;
        seen.assign(data.begin(), data.end());
        if (setup.requestType & 0x80) {
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = static_cast<uint8_t>(0xA0 + i);
        }
        return {ControlOutcome::Ack, 1000};  // claims more than the stage holds
    }
    ControlSetup last;
    std::vector<uint8_t> seen;
};

TEST(VirtualCamera, VendorRequestsGoToTheInstalledHandler) {
    VirtualCamera cam(*findVirtualModel(0x3A00));
    std::vector<uint8_t> data = {1, 2, 3};
    EXPECT_EQ(request(cam, 0x40, 0xB5, 7, 9, data).outcome, ControlOutcome::Stall)
        << "no firmware installed";
    auto handler = std::make_shared<RecordingHandler>();
    cam.setVendorHandler(handler);
    ControlResult r = request(cam, 0x40, 0xB5, 7, 9, data);
    EXPECT_EQ(r.outcome, ControlOutcome::Ack);
    EXPECT_EQ(r.length, 3u) << "clamped to the data stage";
    EXPECT_EQ(handler->last.request, 0xB5);
    EXPECT_EQ(handler->last.value, 7);
    EXPECT_EQ(handler->seen, data);

    std::vector<uint8_t> reply(10);
    r = cam.control({0xC0, 0xB6, 0, 0, 4}, reply);  // wLength limits the stage, not the buffer
    EXPECT_EQ(r.length, 4u);
    EXPECT_EQ(reply[3], 0xA3);
    EXPECT_EQ(reply[4], 0);
    EXPECT_EQ(outcomeOf(cam, 0x21, 0x01, 0), ControlOutcome::Stall) << "class requests";
}

TEST(VirtualCamera, BulkReadWaitsForASourceOrCancelAndFailsWhenDisconnected) {
    VirtualCamera cam(*findVirtualModel(0x0100));
    std::vector<uint8_t> buffer(8);
    std::stop_source stop;
    auto pending =
        std::async(std::launch::async, [&] { return cam.readBulk(buffer, stop.get_token()); });
    EXPECT_EQ(pending.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
    // A source installed while a read waits serves that read.
    auto source = std::make_shared<test::ScriptedBulkSource>();
    source->push({9, 8, 7});
    cam.setBulkSource(source);
    BulkResult r = pending.get();
    EXPECT_EQ(r.outcome, BulkOutcome::Data);
    EXPECT_EQ(r.length, 3u);
    EXPECT_EQ(buffer[2], 7);

    cam.setBulkSource(nullptr);
    pending =
        std::async(std::launch::async, [&] { return cam.readBulk(buffer, stop.get_token()); });
    stop.request_stop();
    EXPECT_EQ(pending.get().outcome, BulkOutcome::Cancelled);

    cam.setConnected(false);
    EXPECT_EQ(cam.readBulk(buffer, {}).outcome, BulkOutcome::Disconnected);
    EXPECT_EQ(outcomeOf(cam, 0x80, kGetDescriptor, 0x0100, 0, 18), ControlOutcome::Disconnected);
    cam.setConnected(true);
    EXPECT_EQ(outcomeOf(cam, 0x80, kGetDescriptor, 0x0100, 0, 18), ControlOutcome::Ack);
}

}  // namespace
}  // namespace vidscope::sim
