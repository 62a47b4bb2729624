// SPDX-License-Identifier: MIT
// Bulk reads through the driver: buffered and direct records, overlapped completion, abort, unplug.
#include <array>
#include <thread>

#include "DriverTestSupport.h"

namespace vidscope::test {
namespace {

using namespace host;

class BulkTransferTest : public DriverFixture {
protected:
    // A direct read of `size` bytes into its own buffer, overlapped with its own event.
    struct Read {
        std::vector<uint8_t> record = directRecord(0x81);
        std::vector<uint8_t> data;
        Event event{Event::Reset::Manual};
        Overlapped ov;
        bool returned = false;
        uint32_t bytes = 0;
    };
    void start(Handle h, Read& r, uint32_t size) {
        r.data.assign(size, 0);
        r.ov.event = &r.event;
        r.returned =
            driver.ioControl(h, kIoctlDirectTransfer, r.record.data(), uint32_t(r.record.size()),
                             r.data.data(), size, &r.bytes, &r.ov);
    }
};

TEST_F(BulkTransferTest, BufferedReadPlacesDataAfterTheRecord) {
    Plugged p = plugVirtual(0x0500);
    p.source->push({1, 2, 3, 4, 5});
    std::vector<uint8_t> block = bufferedBlock(0x81, 512);
    uint32_t bytes = 0;
    ASSERT_TRUE(driver.ioControl(p.handle, kIoctlBufferedTransfer, block.data(),
                                 uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                 &bytes, nullptr));
    EXPECT_EQ(bytes, RequestRecord::kSize + 5) << "a short transfer is a success";
    EXPECT_EQ(block[RequestRecord::kSize + 4], 5);
    EXPECT_EQ(block[RequestRecord::kSize + 5], 0xEE) << "nothing past the moved bytes";
    EXPECT_EQ(recordOf(block).usbdStatus, 0u);

    // A zero-length packet ends a transfer too.
    p.source->push({});
    block = bufferedBlock(0x81, 512);
    ASSERT_TRUE(driver.ioControl(p.handle, kIoctlBufferedTransfer, block.data(),
                                 uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                 &bytes, nullptr));
    EXPECT_EQ(bytes, RequestRecord::kSize);

    // A data offset beyond the output, or a packet table beyond the input, is refused.
    block = bufferedBlock(0x81, 512);
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlBufferedTransfer, block.data(),
                                  uint32_t(block.size()), block.data(), 100, &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorInsufficientBuffer);
    RequestRecord r = recordOf(block);
    r.packetTableOffset = RequestRecord::kSize;
    r.packetTableLength = 8 * 1000;
    r.encode(block);
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlBufferedTransfer, block.data(),
                                  uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                  &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorInvalidParameter);
}

TEST_F(BulkTransferTest, UnsupportedTransfersFailThroughTheirStatus) {
    Plugged p = plugVirtual(0x3500);
    std::vector<uint8_t> block = bufferedBlock(0x81, 16 + 8);
    RequestRecord r = recordOf(block);
    r.packetTableOffset = RequestRecord::kSize;
    r.packetTableLength = 8;
    r.dataOffset = RequestRecord::kSize + 8;
    r.dataLength = 16;
    r.encode(block);
    uint32_t bytes = 0;
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlBufferedTransfer, block.data(),
                                  uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                  &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorNotSupported) << "isochronous";

    std::vector<uint8_t> record = directRecord(0x01);
    std::array<uint8_t, 64> data{};
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlDirectTransfer, record.data(),
                                  uint32_t(record.size()), data.data(), 64, &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorNotSupported) << "OUT";
    EXPECT_EQ(p.source->readsStarted(), 0);
}

TEST_F(BulkTransferTest, OverlappedDirectReadStaysPendingUntilDataArrives) {
    Plugged p = plugVirtual(0x3E00);
    Read r;
    start(p.handle, r, 1024);
    EXPECT_FALSE(r.returned);
    EXPECT_EQ(lastSystemError(), kErrorIoPending);
    EXPECT_EQ(r.ov.status.load(), kErrorIoPending);
    uint32_t bytes = 0;
    EXPECT_FALSE(driver.overlappedResult(p.handle, r.ov, &bytes, false));
    EXPECT_EQ(lastSystemError(), kErrorIoIncomplete);
    EXPECT_FALSE(r.event.isSet());

    std::vector<uint8_t> chunk(1024);
    for (size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = uint8_t(i * 7);
    p.source->push(chunk);
    ASSERT_TRUE(r.event.wait(10000));
    EXPECT_TRUE(driver.overlappedResult(p.handle, r.ov, &bytes, false));
    EXPECT_EQ(bytes, 1024u) << "direct reads count data bytes only";
    EXPECT_EQ(r.data, chunk);
}

TEST_F(BulkTransferTest, BlockingReadWithoutOverlappedReturnsWhenDataArrives) {
    Plugged p = plugVirtual(0x0A00);
    std::thread feeder([&] {
        p.source->waitForReads(1);
        p.source->push({42, 43});
    });
    std::vector<uint8_t> record = directRecord(0x81);
    std::array<uint8_t, 512> data{};
    uint32_t bytes = 0;
    EXPECT_TRUE(driver.ioControl(p.handle, kIoctlDirectTransfer, record.data(),
                                 uint32_t(record.size()), data.data(), 512, &bytes, nullptr));
    feeder.join();
    EXPECT_EQ(bytes, 2u);
    EXPECT_EQ(data[1], 43);
}

TEST_F(BulkTransferTest, AbortEndsTheBlockedReadAndEveryQueuedOneInOrder) {
    Plugged p = plugVirtual(0x3E00);
    std::array<Read, 4> reads;
    for (Read& r : reads)
        start(p.handle, r, 4096);
    p.source->waitForReads(1);  // the first read is blocked in the camera

    uint8_t endpoint = 0x81;
    Event abortEvent(Event::Reset::Auto);
    Overlapped abortOv;
    abortOv.event = &abortEvent;
    uint32_t bytes = 0;
    EXPECT_TRUE(
        driver.ioControl(p.handle, kIoctlAbortPipe, &endpoint, 1, nullptr, 0, &bytes, &abortOv))
        << "abort completes synchronously";
    // Everything has completed by the time the abort returns: no waiting needed.
    for (Read& r : reads) {
        EXPECT_TRUE(r.event.isSet());
        EXPECT_FALSE(driver.overlappedResult(p.handle, r.ov, &bytes, false));
        EXPECT_EQ(lastSystemError(), kErrorOperationAborted);
    }
    EXPECT_EQ(p.source->readsStarted(), 1) << "queued reads never reached the camera";
    EXPECT_EQ(p.port->pendingBulkTransfers(), 0u);

    // The endpoint keeps working afterwards.
    p.source->push({7});
    Read again;
    start(p.handle, again, 64);
    EXPECT_TRUE(driver.overlappedResult(p.handle, again.ov, &bytes, true));
    EXPECT_EQ(bytes, 1u);
}

TEST_F(BulkTransferTest, DetachEndsPendingReadsAndLaterRequestsFail) {
    Plugged p = plugVirtual(0x0500);
    std::array<Read, 3> reads;
    for (Read& r : reads)
        start(p.handle, r, 512);
    p.source->waitForReads(1);
    driver.detach(p.id);
    uint32_t bytes = 0;
    for (Read& r : reads) {
        EXPECT_TRUE(r.event.isSet());
        EXPECT_FALSE(driver.overlappedResult(p.handle, r.ov, &bytes, true));
        EXPECT_EQ(lastSystemError(), kErrorDeviceNotConnected);
    }
    Read late;
    start(p.handle, late, 512);
    EXPECT_FALSE(late.returned);
    EXPECT_EQ(lastSystemError(), kErrorDeviceNotConnected);
    EXPECT_FALSE(late.event.isSet());
}

TEST_F(BulkTransferTest, UnplugInsideTheCameraEndsReadsWithDeviceNotConnected) {
    Plugged p = plugVirtual(0x3120);
    p.port->camera().setBulkSource(nullptr);  // the endpoint just waits
    Read r;
    start(p.handle, r, 512);
    p.port->camera().setConnected(false);
    uint32_t bytes = 0;
    EXPECT_FALSE(driver.overlappedResult(p.handle, r.ov, &bytes, true));
    EXPECT_EQ(lastSystemError(), kErrorDeviceNotConnected);
}

}  // namespace
}  // namespace vidscope::test
