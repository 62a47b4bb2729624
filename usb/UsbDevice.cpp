// SPDX-License-Identifier: MIT
// Opening a camera device: enumeration, descriptor reading, configuration and endpoint setup.
#include "usb/UsbDevice.h"

#include <algorithm>
#include <mutex>

#include "usb/StringDescriptor.h"
#include "usb/UsbLog.h"
#include "usb/host/IoControlCode.h"
#include "usb/host/RequestRecord.h"
#include "usb/host/SystemError.h"

namespace vidscope::usb {
namespace {

using host::RequestRecord;

constexpr uint8_t kGetDescriptorRequestType = 0x80;
constexpr uint8_t kGetDescriptor = 6;
constexpr uint32_t kDescriptorTimeoutSeconds = 5;
constexpr uint8_t kDeviceType = 1;
constexpr uint8_t kConfigurationType = 2;
constexpr uint8_t kStringType = 3;
constexpr uint8_t kBosType = 0x0F;
constexpr uint16_t kConfigurationHeader = 9;
constexpr uint16_t kBosHeader = 5;
constexpr uint32_t kMaxEnumerated = 255;
constexpr uint32_t kSpeedHigh = 2;
constexpr uint32_t kSpeedSuper = 4;

host::Driver& driver() {
    return host::Driver::instance();
}

struct ErrorHandlerSlot {
    std::mutex mutex;
    UsbDevice::DescriptorErrorHandler handler;
};

ErrorHandlerSlot& errorHandlerSlot() {
    static ErrorHandlerSlot slot;
    return slot;
}

// The paths of one enumeration snapshot; interfaces the driver cannot describe are skipped.
std::vector<std::string> presentPaths() {
    const host::InterfaceSet set = driver().presentInterfaces();
    std::vector<std::string> paths;
    std::string path;
    for (uint32_t i = 0; paths.size() < kMaxEnumerated; ++i) {
        if (driver().interfacePath(set, i, path)) {
            paths.push_back(path);
        } else if (host::lastSystemError() == host::kErrorNoMoreItems || i > kMaxEnumerated * 4) {
            break;
        }
    }
    return paths;
}

}  // namespace

void UsbDevice::setDescriptorErrorHandler(DescriptorErrorHandler handler) {
    auto& slot = errorHandlerSlot();
    std::lock_guard lock(slot.mutex);
    slot.handler = std::move(handler);
}

UsbDevice::UsbDevice(bool openNow) {
    if (openNow)
        Open(0);
}

UsbDevice::~UsbDevice() {
    try {
        Close();
    } catch (const UsbCloseError& e) {
        VS_LOG(usbLog(), Error) << e.what() << " (system error " << e.systemError() << ")";
    }
}

uint8_t UsbDevice::DeviceCount() {
    deviceCount_ = static_cast<uint8_t>(presentPaths().size());
    return deviceCount_;
}

bool UsbDevice::Open(uint8_t position) {
    if (isOpen())
        Close();
    if (!openHandle(position))
        return false;
    switch (readDescriptors()) {
        case OpenStep::Done:
            return true;
        case OpenStep::FailKeepOpen:
            return false;
        case OpenStep::FailClose:
            Close();
            return false;
    }
    return false;
}

bool UsbDevice::openHandle(uint8_t position) {
    const auto paths = presentPaths();
    deviceCount_ = static_cast<uint8_t>(paths.size());
    if (position >= paths.size()) {
        handle_ = host::kInvalidHandle;
        deviceIndex_ = 0;
        return false;
    }
    if (paths[position].size() >= kTextSize) {
        VS_LOG(usbLog(), Warning) << "device path too long: " << paths[position];
        lastError_ = host::kErrorInsufficientBuffer;
        return false;
    }
    devicePath_ = paths[position];
    handle_ = driver().open(devicePath_);
    if (handle_ == host::kInvalidHandle) {
        lastError_ = host::lastSystemError();
        return false;
    }
    deviceIndex_ = position;
    return true;
}

UsbDevice::OpenStep UsbDevice::readDescriptors() {
    if (!readDeviceDescriptor()) {
        reportDescriptorError(kConfigErrorTitle, kConfigErrorText,
                              "device descriptor unreadable or malformed");
        return OpenStep::FailClose;
    }
    readStrings();
    if (descriptor_.usbMajor() == 3 && readBos() == OpenStep::FailClose) {
        return OpenStep::FailClose;
    }
    readDriverFacts();
    if (readConfigurations() == OpenStep::FailClose)
        return OpenStep::FailClose;
    controlEndPoint_ = std::make_unique<ControlEndpoint>(handle_, ep0MaxPacket_);
    return selectConfiguration() ? OpenStep::Done : OpenStep::FailKeepOpen;
}

std::optional<std::vector<uint8_t>> UsbDevice::getDescriptor(uint8_t type, uint8_t index,
                                                             uint16_t langId, uint16_t length) {
    std::vector<uint8_t> block(RequestRecord::kSize + length);
    RequestRecord record;
    record.bmRequestType = kGetDescriptorRequestType;
    record.bRequest = kGetDescriptor;
    record.wValue = static_cast<uint16_t>((type << 8) | index);
    record.wIndex = langId;
    record.wLength = length;
    record.timeoutSeconds = kDescriptorTimeoutSeconds;
    record.dataOffset = RequestRecord::kSize;
    record.dataLength = length;
    record.encode(block);
    const auto size = static_cast<uint32_t>(block.size());
    uint32_t returned = 0;
    const bool ok = driver().ioControl(handle_, host::kIoctlControlTransfer, block.data(), size,
                                       block.data(), size, &returned, nullptr);
    bytesTransferred_ = returned;
    const RequestRecord answer = *RequestRecord::decode(block);
    usbdStatus_ = answer.usbdStatus;
    ntStatus_ = answer.ntStatus;
    if (!ok) {
        lastError_ = host::lastSystemError();
        return std::nullopt;
    }
    const size_t data = std::min<size_t>(
        returned > RequestRecord::kSize ? returned - RequestRecord::kSize : 0, length);
    return std::vector<uint8_t>(block.begin() + RequestRecord::kSize,
                                block.begin() + RequestRecord::kSize + data);
}

std::optional<std::vector<uint8_t>> UsbDevice::getFullDescriptor(uint8_t type, uint8_t index,
                                                                 uint16_t langId,
                                                                 bool totalLength) {
    const uint16_t header =
        totalLength ? (type == kConfigurationType ? kConfigurationHeader : kBosHeader) : 2;
    auto first = getDescriptor(type, index, langId, header);
    if (!first)
        return std::nullopt;
    uint16_t full = 0;
    if (totalLength && first->size() >= 4) {
        full = host::le::read16(first->data() + 2);
    } else if (!totalLength && !first->empty()) {
        full = (*first)[0];
    }
    // A length no bigger than the header leaves nothing more to fetch; the parsers judge it.
    if (full <= first->size())
        return first;
    return getDescriptor(type, index, langId, full);
}

bool UsbDevice::readDeviceDescriptor() {
    const auto bytes = getDescriptor(kDeviceType, 0, 0, DeviceDescriptor::kSize);
    const auto parsed = bytes ? DeviceDescriptor::parse(*bytes) : std::nullopt;
    if (!parsed)
        return false;
    descriptor_ = *parsed;
    ep0MaxPacket_ = descriptor_.ep0MaxPacket();
    configCount_ = descriptor_.bNumConfigurations;
    return true;
}

void UsbDevice::readStrings() {
    const auto languages = getFullDescriptor(kStringType, 0, 0, false);
    languageId_ = languages ? StringDescriptor::chooseLanguage(*languages) : 0;
    manufacturer_ = readString(descriptor_.iManufacturer);
    product_ = readString(descriptor_.iProduct);
    serialNumber_ = readString(descriptor_.iSerialNumber);
}

std::u16string UsbDevice::readString(uint8_t index) {
    // Index 0 means the device has no such string (string 0 is the language list).
    if (index == 0)
        return {};
    const auto bytes = getFullDescriptor(kStringType, index, languageId_, false);
    auto text = bytes ? StringDescriptor::text(*bytes) : std::nullopt;
    return text ? *text : std::u16string{};
}

UsbDevice::OpenStep UsbDevice::readBos() {
    auto raw = getFullDescriptor(kBosType, 0, 0, true);
    if (!raw) {
        VS_LOG(usbLog(), Warning) << "USB 3 device without a readable BOS descriptor";
        return OpenStep::Done;
    }
    rawBos_ = std::move(*raw);
    std::string reason;
    bosDescriptor_ = UsbBos::parse(rawBos_, &reason);
    if (!bosDescriptor_) {
        reportDescriptorError(kBosErrorTitle, kBosErrorText, reason);
        return OpenStep::FailClose;
    }
    return OpenStep::Done;
}

bool UsbDevice::deviceRequest(uint32_t code, const void* in, uint32_t inLength, void* out,
                              uint32_t outLength) {
    if (!isOpen()) {
        lastError_ = host::kErrorInvalidHandle;
        return false;
    }
    uint32_t returned = 0;
    const bool ok =
        driver().ioControl(handle_, code, in, inLength, out, outLength, &returned, nullptr);
    bytesTransferred_ = returned;
    if (!ok)
        lastError_ = host::lastSystemError();
    return ok && returned == outLength;
}

void UsbDevice::readDriverFacts() {
    uint8_t byte = 0;
    address_ = deviceRequest(host::kIoctlGetAddress, nullptr, 0, &byte, 1) ? byte : 0;
    friendlyName_.fill('\0');
    deviceRequest(host::kIoctlGetFriendlyName, nullptr, 0, friendlyName_.data(), kTextSize);
    friendlyName_.back() = '\0';
    deviceName_.fill('\0');
    deviceRequest(host::kIoctlGetDeviceName, nullptr, 0, deviceName_.data(), kTextSize);
    deviceName_.back() = '\0';
    uint8_t word[4] = {};
    driverVersion_ = deviceRequest(host::kIoctlGetDriverVersion, nullptr, 0, word, 4)
                         ? host::le::read32(word)
                         : 0;
    usbdiVersion_ = deviceRequest(host::kIoctlGetUsbdiVersion, nullptr, 0, word, 4)
                        ? host::le::read32(word)
                        : 0;
    highSpeed_ = superSpeed_ = false;
    if (deviceRequest(host::kIoctlGetBusSpeed, nullptr, 0, word, 4)) {
        const uint32_t speed = host::le::read32(word);
        highSpeed_ = speed == kSpeedHigh;
        superSpeed_ = speed == kSpeedSuper;
    }
}

UsbDevice::OpenStep UsbDevice::readConfigurations() {
    const auto flavor = descriptor_.usbMajor() == 2 ? UsbConfiguration::Flavor::Plain
                                                    : UsbConfiguration::Flavor::SuperSpeed;
    const size_t count = std::min<size_t>(configCount_, kMaxConfigurations);
    for (size_t i = 0; i < count; ++i) {
        auto raw = getFullDescriptor(kConfigurationType, static_cast<uint8_t>(i), 0, true);
        if (!raw) {
            VS_LOG(usbLog(), Warning)
                << "configuration " << i << " unreadable, error " << lastError_;
            continue;
        }
        rawConfigurations_[i] = std::move(*raw);
        std::string reason;
        configurations_[i] =
            UsbConfiguration::parse(rawConfigurations_[i], flavor, handle_, &reason);
        if (!configurations_[i]) {
            reportDescriptorError(kConfigErrorTitle, kConfigErrorText, reason);
            return OpenStep::FailClose;
        }
    }
    return OpenStep::Done;
}

bool UsbDevice::selectConfiguration() {
    UsbConfiguration* config = configurations_[0].get();
    if (!config || config->interfaceObjects() == 0)
        return false;
    for (auto& c : configurations_) {
        for (size_t i = 0; c && i < c->interfaceObjects(); ++i) {
            c->interface(i)->setControlEndpoint(controlEndPoint_.get());
        }
    }
    configIndex_ = 0;
    configValue_ = config->bConfigurationValue();
    configAttributes_ = config->bmAttributes();
    maxPower_ = config->MaxPower();
    interfaceCount_ = config->interfaceObjects();

    // Without an answer from the driver, the first interface object is taken.
    uint8_t alternate = 0;
    const bool known = deviceRequest(host::kIoctlGetAlternateSetting, nullptr, 0, &alternate, 1);
    size_t chosen = 0;
    for (size_t i = 0; known && i < config->interfaceObjects(); ++i) {
        if (config->interface(i)->bAlternateSetting() == alternate) {
            chosen = i;
            break;
        }
    }
    UsbInterface& selected = *config->interface(chosen);
    altIndex_ = static_cast<uint8_t>(chosen);
    interfaceNumber_ = selected.bInterfaceNumber();
    altInterfaceCount_ = selected.altInterfaces();
    intfcClass_ = selected.bInterfaceClass();
    intfcSubClass_ = selected.bInterfaceSubClass();
    intfcProtocol_ = selected.bInterfaceProtocol();
    assignEndpoints(selected);
    return true;
}

namespace {

template <typename T>
void takeFirst(T*& slot, UsbEndpoint* endpoint) {
    if (!slot)
        slot = dynamic_cast<T*>(endpoint);
}

}  // namespace

void UsbDevice::assignEndpoints(UsbInterface& selected) {
    endPoints_ = selected.endPoints();
    isocInEndPoint_ = isocOutEndPoint_ = nullptr;
    bulkInEndPoint_ = bulkOutEndPoint_ = nullptr;
    interruptInEndPoint_ = interruptOutEndPoint_ = nullptr;
    for (size_t i = 1; i <= selected.endpointEntries(); ++i) {
        UsbEndpoint* endpoint = selected.endPoint(i);
        if (!endpoint)
            continue;
        endpoint->setXferMode(1);
        const bool in = endpoint->bIn();
        switch (endpoint->attributes()) {
            case 1:
                takeFirst(in ? isocInEndPoint_ : isocOutEndPoint_, endpoint);
                break;
            case 2:
                takeFirst(in ? bulkInEndPoint_ : bulkOutEndPoint_, endpoint);
                break;
            case 3:
                takeFirst(in ? interruptInEndPoint_ : interruptOutEndPoint_, endpoint);
                break;
            default:
                break;
        }
    }
}

void UsbDevice::reportDescriptorError(std::string_view title, std::string_view text,
                                      const std::string& reason) {
    VS_LOG(usbLog(), Warning) << "device " << devicePath_ << ": " << reason;
    DescriptorErrorHandler handler;
    {
        auto& slot = errorHandlerSlot();
        std::lock_guard lock(slot.mutex);
        handler = slot.handler;
    }
    if (handler) {
        handler(title, text);
    } else {
        VS_LOG(usbLog(), Error) << title << ": " << text;
    }
}

bool UsbDevice::CyclePort() {
    return deviceRequest(host::kIoctlCyclePort, nullptr, 0, nullptr, 0);
}

void UsbDevice::ResetParentPort() {
    deviceRequest(host::kIoctlResetParentPort, nullptr, 0, nullptr, 0);
}

void UsbDevice::Close() {
    bool refused = false;
    uint32_t closeError = 0;
    if (isOpen()) {
        if (!driver().close(handle_)) {
            refused = true;
            closeError = host::lastSystemError();
            lastError_ = closeError;
        }
        handle_ = host::kInvalidHandle;
    }
    clearState();
    if (refused)
        throw UsbCloseError(UsbCloseError::kHandleText, closeError);
}

void UsbDevice::clearState() {
    descriptor_ = DeviceDescriptor{};
    rawBos_.clear();
    bosDescriptor_.reset();
    endPoints_ = {};
    isocInEndPoint_ = isocOutEndPoint_ = nullptr;
    bulkInEndPoint_ = bulkOutEndPoint_ = nullptr;
    interruptInEndPoint_ = interruptOutEndPoint_ = nullptr;
    for (size_t i = 0; i < kMaxConfigurations; ++i) {
        configurations_[i].reset();
        rawConfigurations_[i].clear();
    }
    controlEndPoint_.reset();
    deviceCount_ = configCount_ = interfaceCount_ = altInterfaceCount_ = 0;
}

std::span<UsbEndpoint* const> UsbDevice::endPoints() const {
    return endPoints_;
}

const UsbConfiguration* UsbDevice::configuration(size_t i) const {
    return i < kMaxConfigurations ? configurations_[i].get() : nullptr;
}

std::span<const uint8_t> UsbDevice::rawConfiguration(size_t i) const {
    return i < kMaxConfigurations ? std::span<const uint8_t>(rawConfigurations_[i])
                                  : std::span<const uint8_t>{};
}

}  // namespace vidscope::usb
