// SPDX-License-Identifier: MIT
// Bulk streaming through the libusb port: framing, abort, the usbfs memory limit and unplug.
#include <gtest/gtest.h>

#include <array>
#include <list>
#include <numeric>

#include "PluggedCamera.h"
#include "base/LogCategory.h"
#include "tests/host/DriverTestSupport.h"
#include "usb/host/IoControlCode.h"

namespace vidscope::test {
namespace {

using host::Driver;

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), seed);
    return bytes;
}

// One overlapped direct read into its own buffer, as the camera API's ring queues them.
struct Read {
    explicit Read(size_t size) : buffer(size, 0xEE) {}
    std::vector<uint8_t> record = directRecord(0x81);
    std::vector<uint8_t> buffer;
    host::Overlapped ov;
};

class LibusbStream : public ::testing::Test {
protected:
    // Plugs a bare camera fed by source_ and opens it; the camera outlives TearDown.
    PluggedCamera& open(uint16_t productId, uint8_t port) {
        cam_ = std::make_unique<PluggedCamera>(productId, port);
        cam_->camera().setBulkSource(source_);
        EXPECT_TRUE(cam_->listed());
        handle_ = driver_.open(cam_->path());
        EXPECT_NE(handle_, host::kInvalidHandle);
        return *cam_;
    }
    void TearDown() override {
        if (handle_ != host::kInvalidHandle) {
            abort();
            driver_.close(handle_);
        }
    }

    Read& queue(size_t size) {
        Read& read = reads_.emplace_back(size);
        const bool done =
            driver_.ioControl(handle_, host::kIoctlDirectTransfer, read.record.data(),
                              static_cast<uint32_t>(read.record.size()), read.buffer.data(),
                              static_cast<uint32_t>(read.buffer.size()), nullptr, &read.ov);
        EXPECT_FALSE(done);
        EXPECT_EQ(host::lastSystemError(), host::kErrorIoPending);
        return read;
    }
    // Waits for a read and returns its status, with the bytes it moved in `bytes`.
    uint32_t result(Read& read, uint32_t& bytes) {
        EXPECT_TRUE(read.ov.done.wait(10000)) << "the read never completed";
        driver_.overlappedResult(handle_, read.ov, &bytes, true);
        return host::lastSystemError();
    }
    void abort() {
        const uint8_t endpoint = 0x81;
        uint32_t bytes = 0;
        EXPECT_TRUE(driver_.ioControl(handle_, host::kIoctlAbortPipe, &endpoint, 1, nullptr, 0,
                                      &bytes, nullptr));
    }

    Driver& driver_ = Driver::instance();
    std::shared_ptr<ScriptedBulkSource> source_ = std::make_shared<ScriptedBulkSource>();
    std::list<Read> reads_;  // stable addresses: the driver writes into them
    std::unique_ptr<PluggedCamera> cam_;
    host::Handle handle_ = host::kInvalidHandle;
};

TEST_F(LibusbStream, ShortAndZeroLengthTransfersEndFramesInOrder) {
    open(0x0500, 10);
    std::array<Read*, 4> reads{};
    for (Read*& read : reads)
        read = &queue(16384);
    source_->push(pattern(16384, 1));
    source_->push(pattern(1000, 2));  // the frame ends inside the second transfer
    source_->push({});                // a frame that ended exactly at a transfer's end
    source_->push(pattern(16384, 3));
    const std::array<uint32_t, 4> expected{16384, 1000, 0, 16384};
    for (size_t i = 0; i < reads.size(); ++i) {
        uint32_t bytes = 0;
        EXPECT_EQ(result(*reads[i], bytes), host::kErrorSuccess);
        EXPECT_EQ(bytes, expected[i]) << "transfer " << i;
    }
    EXPECT_EQ(reads[1]->buffer[999], static_cast<uint8_t>(2 + 999));
    EXPECT_EQ(reads[1]->buffer[1000], 0xEE) << "nothing written past a short transfer";
    EXPECT_EQ(reads[3]->buffer[16383], static_cast<uint8_t>(3 + 16383));
}

TEST_F(LibusbStream, AbortEndsEveryPendingReadAsCancelledAndReturnsTheUrbs) {
    PluggedCamera& cam = open(0x0500, 11);
    std::array<Read*, 3> reads{};
    for (Read*& read : reads)
        read = &queue(4096);
    source_->waitForReads(1);  // the camera is inside the first read
    abort();
    for (Read* read : reads) {
        EXPECT_TRUE(read->ov.done.wait(0)) << "abort returned before the read completed";
        EXPECT_EQ(read->ov.status.load(), host::kErrorOperationAborted);
    }
    EXPECT_TRUE(waitUntil([&] { return cam.device().urbsOutstanding() == 0; }));
}

TEST_F(LibusbStream, RingLargerThanUsbfsMemoryStreamsWithFewerTransfersInFlight) {
    PluggedCamera& cam = open(0x3E00, 12);
    constexpr size_t kMiB = 1 << 20;
    std::vector<Read*> ring;
    for (int i = 0; i < 20; ++i)
        ring.push_back(&queue(kMiB));
    for (int i = 0; i < 19; ++i)
        source_->push(pattern(kMiB, static_cast<uint8_t>(i)));
    source_->push(pattern(kMiB / 2, 19));
    for (size_t i = 0; i < ring.size(); ++i) {
        uint32_t bytes = 0;
        ASSERT_EQ(result(*ring[i], bytes), host::kErrorSuccess) << "transfer " << i;
        ASSERT_EQ(bytes, i < 19 ? kMiB : kMiB / 2);
        EXPECT_EQ(ring[i]->buffer[1], static_cast<uint8_t>(i + 1)) << "transfer " << i;
    }
    // 16 MB hold 15 transfers of 1 MiB with the kernel's bookkeeping, not 16.
    EXPECT_EQ(cam.device().mostBulkInFlight(), 15u);
    // Once in the process, not for every refused submission; it names the limit it read
    // and both ways to raise it.
    EXPECT_EQ(CapturedLog::count("usbfs memory limit of 16 MB"), 1u) << CapturedLog::contents();
    EXPECT_EQ(CapturedLog::count("sudo tee /sys/module/usbcore/parameters/usbfs_memory_mb"), 1u);
    EXPECT_EQ(CapturedLog::count("usbcore.usbfs_memory_mb=256 to the kernel command line"), 1u);
}

TEST_F(LibusbStream, TransferLargerThanUsbfsMemoryTravelsInPiecesWithFramingKept) {
    UsbfsTestbed::instance().setUsbfsMemoryMb(1);
    PluggedCamera& cam = open(0x3030, 13);
    constexpr size_t kMiB = 1 << 20;
    Read& shortFrame = queue(kMiB);
    Read& exactFrame = queue(kMiB);
    Read& zeroLength = queue(kMiB);
    source_->push(pattern(kMiB / 2, 7));
    source_->push(pattern(1000, 8));  // short piece: the frame ends, no further piece
    source_->push(pattern(kMiB / 2, 9));
    source_->push(pattern(kMiB / 2, 10));
    source_->push({});
    uint32_t bytes = 0;
    EXPECT_EQ(result(shortFrame, bytes), host::kErrorSuccess);
    EXPECT_EQ(bytes, kMiB / 2 + 1000);
    EXPECT_EQ(shortFrame.buffer[kMiB / 2], 8);
    EXPECT_EQ(result(exactFrame, bytes), host::kErrorSuccess);
    EXPECT_EQ(bytes, kMiB);
    EXPECT_EQ(exactFrame.buffer[kMiB / 2 + 1], 11);
    EXPECT_EQ(result(zeroLength, bytes), host::kErrorSuccess);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(cam.device().largestBulkUrb(), kMiB / 2);
    UsbfsTestbed::instance().setUsbfsMemoryMb(16);
}

TEST_F(LibusbStream, UnplugWhileStreamingFailsReadsLeaksNothingAndReplugWorks) {
    PluggedCamera& cam = open(0x0500, 14);
    std::array<Read*, 4> reads{};
    for (Read*& read : reads)
        read = &queue(8192);
    source_->push(pattern(8192, 1));
    uint32_t bytes = 0;
    EXPECT_EQ(result(*reads[0], bytes), host::kErrorSuccess);
    source_->waitForReads(2);
    cam.unplug();
    ASSERT_TRUE(cam.dropped());
    for (size_t i = 1; i < reads.size(); ++i)
        EXPECT_EQ(result(*reads[i], bytes), host::kErrorDeviceNotConnected) << "read " << i;
    Read late(64);
    EXPECT_FALSE(driver_.ioControl(handle_, host::kIoctlDirectTransfer, late.record.data(),
                                   static_cast<uint32_t>(late.record.size()), late.buffer.data(),
                                   64, nullptr, &late.ov));
    EXPECT_EQ(host::lastSystemError(), host::kErrorDeviceNotConnected);
    EXPECT_TRUE(driver_.close(std::exchange(handle_, host::kInvalidHandle)));
    EXPECT_EQ(UsbfsTestbed::instance().reserved(), 0u) << "usbfs memory still held";

    cam.plug();
    ASSERT_TRUE(cam.listed());
    handle_ = driver_.open(cam.path());
    ASSERT_NE(handle_, host::kInvalidHandle);
    Read& again = queue(8192);
    source_->push(pattern(100, 5));
    EXPECT_EQ(result(again, bytes), host::kErrorSuccess);
    EXPECT_EQ(bytes, 100u);
}

}  // namespace
}  // namespace vidscope::test
