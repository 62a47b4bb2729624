// SPDX-License-Identifier: MIT
// Requests on the endpoints of an open virtual camera: records, completion, abort, time-outs.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "tests/host/ScriptedBulkSource.h"
#include "tests/usb/AttachedCamera.h"
#include "usb/UsbDevice.h"
#include "usb/host/SystemError.h"

namespace vidscope::usb {
namespace {

using namespace test;
using host::RequestRecord;

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), seed);
    return v;
}

EndpointDescriptor descriptor(uint8_t address, uint8_t attributes, uint16_t maxPacket) {
    EndpointDescriptor d;
    d.bEndpointAddress = address;
    d.bmAttributes = attributes;
    d.wMaxPacketSize = maxPacket;
    return d;
}

class OpenCamera : public ::testing::Test {
protected:
    void SetUp() override {
        cam_.camera().setVendorHandler(vendor_);
        cam_.camera().setBulkSource(bulk_);
        ASSERT_TRUE(dev_.Open(cam_.position()));
        ASSERT_TRUE(dev_.bulkInEndPoint());
    }

    // Waits for the request to complete if it is pending, then collects it.
    static bool finish(UsbEndpoint& ep, host::Overlapped& ov,
                       std::unique_ptr<TransferRequest>& request, uint8_t* buf, uint32_t& len) {
        if (ep.lastError() == host::kErrorIoPending)
            ov.done.wait(host::kInfinite);
        return ep.FinishTransfer(buf, len, ov, request);
    }

    AttachedCamera cam_{0x0500};
    std::shared_ptr<EchoVendorHandler> vendor_ = std::make_shared<EchoVendorHandler>();
    std::shared_ptr<vidscope::test::ScriptedBulkSource> bulk_ =
        std::make_shared<vidscope::test::ScriptedBulkSource>();
    UsbDevice dev_{false};
};

TEST_F(OpenCamera, ControlRecordCarriesSetupTimeoutAndData) {
    ControlEndpoint& ep = *dev_.controlEndPoint();
    ep.setReqCode(0xA5);
    ep.setValue(0x1234);
    ep.setIndex(0xBEEF);
    ep.setDirection(ControlEndpoint::kToDevice);
    const struct {
        uint32_t timeOutMs;
        uint32_t seconds;
    } timeouts[] = {{500, 1}, {0, 0}, {999, 1}, {1000, 1}, {2500, 2}};
    for (const auto& t : timeouts) {
        ep.setTimeOut(t.timeOutMs);
        auto data = pattern(3, 7);
        host::Overlapped ov;
        auto request = ep.BeginTransfer(data.data(), 3, ov);
        ASSERT_TRUE(request);
        const RequestRecord r = request->record();
        EXPECT_EQ(r.timeoutSeconds, t.seconds) << t.timeOutMs;
        EXPECT_EQ(r.bmRequestType, 0x40);
        EXPECT_EQ(r.bRequest, 0xA5);
        EXPECT_EQ(r.wValue, 0x1234);
        EXPECT_EQ(r.wIndex, 0xBEEF);
        EXPECT_EQ(r.wLength, 3);
        EXPECT_EQ(r.endpointAddress, 0);
        EXPECT_EQ(r.dataOffset, 38u);
        EXPECT_EQ(r.dataLength, 3u);
        EXPECT_EQ(request->size(), 41u);
        EXPECT_EQ(request->bytes()[38], 7);
        EXPECT_EQ(request->bytes()[40], 9);
        uint32_t len = 0;
        EXPECT_TRUE(finish(ep, ov, request, data.data(), len));
        EXPECT_FALSE(request);
        EXPECT_EQ(len, 3u);
    }
}

TEST(ControlEndpointFields, RequestTypeCombinesDirectionTypeAndRecipient) {
    ControlEndpoint ep(host::kInvalidHandle, 64);
    ep.setDirection(ControlEndpoint::kFromDevice);
    ep.setReqType(ControlEndpoint::kVendor);
    ep.setTarget(31);
    EXPECT_EQ(ep.requestType(), 0xDF);
    ep.setReqType(5);  // only two bits of type
    ep.setTarget(33);  // only five bits of recipient
    EXPECT_EQ(ep.requestType(), 0x80 | (1 << 5) | 1);
}

TEST_F(OpenCamera, VendorWriteThenReadRoundTrips) {
    ControlEndpoint& ep = *dev_.controlEndPoint();
    ep.setReqCode(0xB0);
    ep.setValue(5);
    ep.setIndex(6);
    auto out = pattern(3, 40);
    uint32_t len = 3;
    ASSERT_TRUE(ep.Write(out.data(), len));
    EXPECT_EQ(len, 3u);
    EXPECT_EQ(vendor_->last().requestType, 0x40);
    EXPECT_EQ(vendor_->last().request, 0xB0);
    EXPECT_EQ(vendor_->last().value, 5);
    EXPECT_EQ(vendor_->last().index, 6);
    EXPECT_EQ(vendor_->last().length, 3);

    std::vector<uint8_t> in(10, 0);
    len = 10;
    ASSERT_TRUE(ep.Read(in.data(), len));
    EXPECT_EQ(vendor_->last().requestType, 0xC0);
    EXPECT_EQ(vendor_->last().length, 10);
    EXPECT_EQ(len, 3u);  // a short reply is a success
    EXPECT_EQ(ep.bytesWritten(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(in.begin(), in.begin() + 3), out);
    EXPECT_EQ(in[3], 0);
}

TEST_F(OpenCamera, StalledControlRequestFailsWithStatusWords) {
    vendor_->setStall(true);
    ControlEndpoint& ep = *dev_.controlEndPoint();
    std::vector<uint8_t> in(10, 0);
    uint32_t len = 10;
    EXPECT_FALSE(ep.Read(in.data(), len));
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(ep.usbdStatus(), 0xC0000004u);
    EXPECT_NE(ep.ntStatus(), 0u);
}

TEST_F(OpenCamera, DirectBulkReadLandsInTheCallersBuffer) {
    BulkEndpoint& ep = *dev_.bulkInEndPoint();
    std::vector<uint8_t> buf(4096, 0);
    host::Overlapped ov;
    host::Event event(host::Event::Reset::Auto);
    ov.event = &event;
    auto request = ep.BeginTransfer(buf.data(), 4096, ov);
    ASSERT_TRUE(request);
    const RequestRecord r = request->record();
    EXPECT_EQ(request->size(), 38u);
    EXPECT_EQ(r.endpointAddress, 0x81);
    EXPECT_EQ(r.dataOffset, 0u);
    EXPECT_EQ(r.dataLength, 0u);
    EXPECT_EQ(r.packetTableLength, 0u);

    bulk_->push(pattern(1000, 3));
    ASSERT_TRUE(ep.WaitForTransfer(ov, 5000));
    uint32_t len = 0;
    ASSERT_TRUE(ep.FinishTransfer(buf.data(), len, ov, request));
    EXPECT_EQ(len, 1000u);
    EXPECT_EQ(ep.bytesWritten(), 1000u);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 1000), pattern(1000, 3));
}

TEST_F(OpenCamera, BufferedBulkReadIsCopiedOutOfTheRecord) {
    BulkEndpoint& ep = *dev_.bulkInEndPoint();
    ep.setXferMode(0);
    std::vector<uint8_t> buf(600, 0xFF);
    bulk_->push(pattern(512, 9));
    host::Overlapped ov;
    auto request = ep.BeginTransfer(buf.data(), 600, ov);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->size(), 638u);
    // The driver writes the status words into the record when the read completes; look at
    // the record only once it has.
    ASSERT_TRUE(ov.done.wait(5000));
    EXPECT_EQ(request->record().dataOffset, 38u);
    EXPECT_EQ(request->record().dataLength, 600u);
    uint32_t len = 0;
    ASSERT_TRUE(finish(ep, ov, request, buf.data(), len));
    EXPECT_EQ(len, 512u);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 512), pattern(512, 9));
    EXPECT_EQ(buf[512], 0xFF);
}

TEST_F(OpenCamera, AbortEndsAPendingRead) {
    BulkEndpoint& ep = *dev_.bulkInEndPoint();
    std::vector<uint8_t> buf(512);
    host::Overlapped ov;
    host::Event event(host::Event::Reset::Auto);
    ov.event = &event;
    auto request = ep.BeginTransfer(buf.data(), 512, ov);
    ASSERT_TRUE(request);
    EXPECT_EQ(ep.lastError(), host::kErrorIoPending);
    EXPECT_FALSE(ep.WaitForTransfer(ov, 20));

    // Collecting it early hands it back untouched.
    uint32_t len = 99;
    EXPECT_FALSE(ep.FinishTransfer(buf.data(), len, ov, request));
    EXPECT_EQ(host::lastSystemError(), host::kErrorIoIncomplete);
    ASSERT_TRUE(request);

    EXPECT_TRUE(ep.Abort());
    EXPECT_TRUE(ep.WaitForTransfer(ov, 0));
    EXPECT_FALSE(ep.FinishTransfer(buf.data(), len, ov, request));
    EXPECT_EQ(host::lastSystemError(), host::kErrorOperationAborted);
    EXPECT_FALSE(request);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(cam_.port().pendingBulkTransfers(), 0u);
}

TEST_F(OpenCamera, TransferGivesUpAfterItsTimeOut) {
    BulkEndpoint& ep = *dev_.bulkInEndPoint();
    ep.setTimeOut(100);
    std::vector<uint8_t> buf(512);
    uint32_t len = 512;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ep.Transfer(buf.data(), len));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(100));
    EXPECT_LT(elapsed, std::chrono::seconds(3));
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(cam_.port().pendingBulkTransfers(), 0u);

    // With data waiting the same endpoint transfers at once.
    bulk_->push(pattern(200, 1));
    len = 512;
    EXPECT_TRUE(ep.Transfer(buf.data(), len));
    EXPECT_EQ(len, 200u);
}

TEST_F(OpenCamera, UnplugCompletesPendingReadsAndRefusesNewOnes) {
    BulkEndpoint& ep = *dev_.bulkInEndPoint();
    std::vector<uint8_t> buf(512);
    host::Overlapped ov;
    auto request = ep.BeginTransfer(buf.data(), 512, ov);
    ASSERT_TRUE(request);
    cam_.unplug();
    uint32_t len = 0;
    EXPECT_FALSE(finish(ep, ov, request, buf.data(), len));
    EXPECT_EQ(host::lastSystemError(), host::kErrorDeviceNotConnected);
    EXPECT_FALSE(request);

    host::Overlapped ov2;
    auto refused = ep.BeginTransfer(buf.data(), 512, ov2);
    ASSERT_TRUE(refused);  // sent, but refused by the driver
    EXPECT_EQ(ep.lastError(), host::kErrorDeviceNotConnected);
    EXPECT_FALSE(ep.WaitForTransfer(ov2, 0));
    EXPECT_FALSE(ep.FinishTransfer(buf.data(), len, ov2, refused));
    EXPECT_FALSE(refused);
    len = 512;
    EXPECT_FALSE(ep.Transfer(buf.data(), len));
}

TEST_F(OpenCamera, SetTransferSizeRoundsUpToWholePackets) {
    BulkEndpoint p512(descriptor(0x81, 2, 512), dev_.handle());
    ASSERT_TRUE(p512.SetTransferSize(307200));
    EXPECT_EQ(cam_.port().transferSize(0x81), 307200u);
    BulkEndpoint p1000(descriptor(0x81, 2, 1000), dev_.handle());
    ASSERT_TRUE(p1000.SetTransferSize(307200));
    EXPECT_EQ(cam_.port().transferSize(0x81), 308000u);
    ASSERT_TRUE(p1000.SetTransferSize(1));
    EXPECT_EQ(cam_.port().transferSize(0x81), 1000u);
    EXPECT_TRUE(p1000.Reset());
    BulkEndpoint none(descriptor(0x81, 2, 0), dev_.handle());
    EXPECT_FALSE(none.SetTransferSize(4096));
    EXPECT_EQ(cam_.port().transferSize(0x81), 1000u);
}

TEST_F(OpenCamera, IsochronousRecordsCarryOnePacketEntryPerPacket) {
    IsocEndpoint ep(descriptor(0x82, 1, 1024), dev_.handle());
    std::vector<uint8_t> buf(2048, 0x5A);
    host::Overlapped ov;
    uint32_t len = 0;

    auto direct = ep.BeginDirectTransfer(buf.data(), 1, ov);
    ASSERT_TRUE(direct);
    RequestRecord r = direct->record();
    EXPECT_EQ(r.endpointAddress, 0x82);
    EXPECT_EQ(r.packetTableOffset, 38u);
    EXPECT_EQ(r.packetTableLength, 8u);
    EXPECT_EQ(r.dataOffset, 0u);
    EXPECT_EQ(r.dataLength, 0u);
    EXPECT_EQ(direct->size(), 46u);
    finish(ep, ov, direct, buf.data(), len);

    auto buffered = ep.BeginBufferedTransfer(buf.data(), 1025, ov);
    ASSERT_TRUE(buffered);
    r = buffered->record();
    EXPECT_EQ(r.packetTableLength, 16u);
    EXPECT_EQ(r.dataOffset, 54u);
    EXPECT_EQ(r.dataLength, 1025u);
    EXPECT_EQ(buffered->size(), 54u + 1025);
    EXPECT_EQ(buffered->bytes()[54], 0x5A);
    finish(ep, ov, buffered, buf.data(), len);

    EXPECT_EQ(ep.BeginDirectTransfer(buf.data(), 0, ov), nullptr);
    EXPECT_EQ(ep.BeginBufferedTransfer(buf.data(), 0, ov), nullptr);
    IsocEndpoint zero(descriptor(0x82, 1, 0), dev_.handle());
    EXPECT_EQ(zero.BeginTransfer(buf.data(), 100, ov), nullptr);

    // BeginTransfer picks the variant by transfer mode.
    ep.setXferMode(1);
    auto byMode = ep.BeginTransfer(buf.data(), 100, ov);
    ASSERT_TRUE(byMode);
    EXPECT_EQ(byMode->record().dataOffset, 0u);
    finish(ep, ov, byMode, buf.data(), len);
}

TEST(ClosedEndpoint, RequestsOnAnInvalidHandleDoNothing) {
    BulkEndpoint ep(descriptor(0x81, 2, 512), host::kInvalidHandle);
    ControlEndpoint control(host::kInvalidHandle, 64);
    std::vector<uint8_t> buf(64);
    host::Overlapped ov;
    EXPECT_EQ(ep.BeginTransfer(buf.data(), 64, ov), nullptr);
    EXPECT_EQ(ep.BeginBufferedTransfer(buf.data(), 64, ov), nullptr);
    EXPECT_EQ(control.BeginTransfer(buf.data(), 64, ov), nullptr);
    uint32_t len = 64;
    EXPECT_FALSE(ep.Transfer(buf.data(), len));
    EXPECT_EQ(len, 0u);
    EXPECT_FALSE(control.Read(buf.data(), len));
    EXPECT_FALSE(ep.Reset());
    EXPECT_FALSE(ep.SetTransferSize(512));
    EXPECT_TRUE(ep.Abort());
}

}  // namespace
}  // namespace vidscope::usb
