// SPDX-License-Identifier: MIT
// Parsing of one interface descriptor and the endpoint descriptors that follow it.
#include "usb/UsbInterface.h"

#include <algorithm>

#include "usb/BulkEndpoint.h"
#include "usb/ControlEndpoint.h"
#include "usb/DescriptorCursor.h"
#include "usb/InterruptEndpoint.h"
#include "usb/IsocEndpoint.h"
#include "usb/host/RequestRecord.h"

namespace vidscope::usb {
namespace {

constexpr uint8_t kInterfaceSize = 9;
constexpr uint8_t kEndpointType = 5;
constexpr uint8_t kEndpointSize = 7;
constexpr uint8_t kCompanionType = 0x30;
constexpr uint8_t kCompanionSize = 6;

// The endpoint class is chosen by the whole attributes byte; anything but the four plain
// transfer types gets no object.
std::unique_ptr<UsbEndpoint> makeEndpoint(const EndpointDescriptor& d, host::Handle handle) {
    switch (d.bmAttributes) {
        case 0:
            return std::make_unique<ControlEndpoint>(d, handle);
        case 1:
            return std::make_unique<IsocEndpoint>(d, handle);
        case 2:
            return std::make_unique<BulkEndpoint>(d, handle);
        case 3:
            return std::make_unique<InterruptEndpoint>(d, handle);
        default:
            return nullptr;
    }
}

EndpointDescriptor endpointFrom(std::span<const uint8_t> bytes, bool superSpeed) {
    EndpointDescriptor d;
    d.bLength = bytes[0];
    d.bDescriptorType = bytes[1];
    d.bEndpointAddress = bytes[2];
    d.bmAttributes = bytes[3];
    d.wMaxPacketSize = host::le::read16(bytes.data() + 4);
    d.bInterval = bytes[6];
    d.superSpeed = superSpeed;
    return d;
}

}  // namespace

std::unique_ptr<UsbInterface> UsbInterface::parse(DescriptorCursor& cursor, bool superSpeed,
                                                  host::Handle handle) {
    const auto descriptor = cursor.peek();
    if (!descriptor || descriptor->size() < kInterfaceSize)
        return nullptr;
    std::unique_ptr<UsbInterface> interface(new UsbInterface);
    std::copy_n(descriptor->begin(), kInterfaceSize, interface->descriptor_.begin());
    const size_t start = cursor.offset();
    cursor.advance(descriptor->size());
    if (!interface->parseEndpoints(cursor, superSpeed, handle))
        return nullptr;
    interface->totalLength_ = static_cast<uint32_t>(cursor.offset() - start);
    return interface;
}

size_t UsbInterface::endpointEntries() const {
    return std::min<size_t>(bNumEndpoints(), kMaxEndpoints - 1);
}

void UsbInterface::setControlEndpoint(ControlEndpoint* control) {
    endPoints_[0] = control;
}

bool UsbInterface::parseEndpoints(DescriptorCursor& cursor, bool superSpeed, host::Handle handle) {
    int skipped = 0;
    for (size_t entry = 1; entry <= endpointEntries(); ++entry) {
        std::optional<std::span<const uint8_t>> descriptor;
        // Class-specific descriptors may sit between endpoints; a bounded number of them is
        // passed over, after which each one costs an entry (left empty) without moving on.
        while (!cursor.atEnd()) {
            descriptor = cursor.peek();
            if (!descriptor)
                return false;
            if ((*descriptor)[1] == kEndpointType || skipped >= kMaxSkippedDescriptors)
                break;
            ++skipped;
            cursor.advance(descriptor->size());
            descriptor.reset();
        }
        // An interface promising more endpoints than the block holds keeps empty entries.
        if (!descriptor || (*descriptor)[1] != kEndpointType)
            continue;
        if (descriptor->size() < kEndpointSize)
            return false;
        EndpointDescriptor d = endpointFrom(*descriptor, superSpeed);
        cursor.advance(descriptor->size());
        if (superSpeed && !cursor.atEnd()) {
            const auto companion = cursor.peek();
            if (!companion)
                return false;
            if ((*companion)[1] == kCompanionType) {
                if (companion->size() < kCompanionSize)
                    return false;
                d.bMaxBurst = (*companion)[2];
                d.ssAttributes = (*companion)[3];
                d.wBytesPerInterval = host::le::read16(companion->data() + 4);
                cursor.advance(companion->size());
            }
        }
        auto endpoint = makeEndpoint(d, handle);
        endPoints_[entry] = endpoint.get();
        if (endpoint)
            owned_.push_back(std::move(endpoint));
    }
    return true;
}

}  // namespace vidscope::usb
