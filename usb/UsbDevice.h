// SPDX-License-Identifier: MIT
// One camera device opened through the driver: descriptors, selected interface, endpoints.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "usb/BulkEndpoint.h"
#include "usb/ControlEndpoint.h"
#include "usb/DeviceDescriptor.h"
#include "usb/InterruptEndpoint.h"
#include "usb/IsocEndpoint.h"
#include "usb/UsbBos.h"
#include "usb/UsbCloseError.h"
#include "usb/UsbConfiguration.h"
#include "usb/host/Driver.h"

namespace vidscope::usb {

// Single-threaded: the owner serialises every call on one device. Failures are reported by
// results and lastError(); only Close throws (UsbCloseError) when the driver refuses to close
// the handle. The layer registers no device notifications: hot-plug is watched elsewhere.
class UsbDevice {
public:
    static constexpr size_t kTextSize = 256;
    static constexpr size_t kMaxConfigurations = 2;
    static constexpr std::string_view kBosErrorTitle = "Wrong BOS Descriptor";
    static constexpr std::string_view kBosErrorText =
        "Please correct firmware BOS descriptor table";
    static constexpr std::string_view kConfigErrorTitle = "Wrong Device Configuration";
    static constexpr std::string_view kConfigErrorText = "Please correct firmware descriptor table";

    // Told about descriptor tables the device gets wrong (the GUI shows a message box).
    // Without a handler the report goes to the "usb" log category. Thread-safe.
    using DescriptorErrorHandler =
        std::function<void(std::string_view title, std::string_view text)>;
    static void setDescriptorErrorHandler(DescriptorErrorHandler handler);

    // Opens the first device at once when openNow is set.
    explicit UsbDevice(bool openNow = true);
    // Closes; a refused close is logged, as a destructor cannot report it.
    ~UsbDevice();
    UsbDevice(const UsbDevice&) = delete;
    UsbDevice& operator=(const UsbDevice&) = delete;

    // Counts the present device interfaces (also kept in deviceCount()).
    uint8_t DeviceCount();
    // Opens the device at enumeration position `position`, reads and parses its
    // descriptors and selects configuration 0 with the driver's current alternate setting.
    // A device already open is closed first (and Close's UsbCloseError passes through).
    // Descriptor tables the parsers reject are reported to the descriptor-error handler and
    // leave the device closed; an unreadable configuration fails with the handle still open.
    bool Open(uint8_t position);
    // Leaves the device closed; throws UsbCloseError when the driver refused the close.
    void Close();
    bool CyclePort();
    void ResetParentPort();

    // --- handle and endpoints ---
    host::Handle handle() const { return handle_; }
    bool isOpen() const { return handle_ != host::kInvalidHandle; }
    // Endpoint list of the selected interface (entry 0 = control endpoint); empty when none.
    std::span<UsbEndpoint* const> endPoints() const;
    ControlEndpoint* controlEndPoint() const { return controlEndPoint_.get(); }
    IsocEndpoint* isocInEndPoint() const { return isocInEndPoint_; }
    IsocEndpoint* isocOutEndPoint() const { return isocOutEndPoint_; }
    BulkEndpoint* bulkInEndPoint() const { return bulkInEndPoint_; }
    BulkEndpoint* bulkOutEndPoint() const { return bulkOutEndPoint_; }
    InterruptEndpoint* interruptInEndPoint() const { return interruptInEndPoint_; }
    InterruptEndpoint* interruptOutEndPoint() const { return interruptOutEndPoint_; }
    const UsbBos* bosDescriptor() const { return bosDescriptor_.get(); }
    const UsbConfiguration* configuration(size_t i) const;

    // --- identity and status ---
    uint16_t languageId() const { return languageId_; }
    uint32_t lastError() const { return lastError_; }
    uint32_t usbdStatus() const { return usbdStatus_; }
    uint32_t ntStatus() const { return ntStatus_; }
    uint32_t driverVersion() const { return driverVersion_; }
    uint32_t usbdiVersion() const { return usbdiVersion_; }
    const char* friendlyName() const { return friendlyName_.data(); }
    const char* deviceName() const { return deviceName_.data(); }
    std::u16string_view manufacturer() const { return manufacturer_; }
    std::u16string_view product() const { return product_; }
    std::u16string_view serialNumber() const { return serialNumber_; }
    std::string_view devicePath() const { return devicePath_; }
    uint16_t bcdUSB() const { return descriptor_.bcdUSB; }
    uint16_t vendorId() const { return descriptor_.idVendor; }
    uint16_t productId() const { return descriptor_.idProduct; }
    uint8_t address() const { return address_; }
    uint8_t devClass() const { return descriptor_.bDeviceClass; }
    uint8_t devSubClass() const { return descriptor_.bDeviceSubClass; }
    uint8_t devProtocol() const { return descriptor_.bDeviceProtocol; }
    uint32_t ep0MaxPacket() const { return ep0MaxPacket_; }
    uint16_t bcdDevice() const { return descriptor_.bcdDevice; }
    uint8_t configValue() const { return configValue_; }
    uint8_t configAttributes() const { return configAttributes_; }
    uint8_t maxPower() const { return maxPower_; }
    uint8_t intfcClass() const { return intfcClass_; }
    uint8_t intfcSubClass() const { return intfcSubClass_; }
    uint8_t intfcProtocol() const { return intfcProtocol_; }
    bool highSpeed() const { return highSpeed_; }
    bool superSpeed() const { return superSpeed_; }
    uint32_t bytesTransferred() const { return bytesTransferred_; }
    std::span<const uint8_t, DeviceDescriptor::kSize> deviceDescriptor() const {
        return descriptor_.raw;
    }
    std::span<const uint8_t> rawConfiguration(size_t i) const;
    std::span<const uint8_t> rawBos() const { return rawBos_; }
    uint8_t deviceCount() const { return deviceCount_; }
    uint8_t configCount() const { return configCount_; }
    uint8_t interfaceCount() const { return interfaceCount_; }
    uint8_t altInterfaceCount() const { return altInterfaceCount_; }
    uint8_t deviceIndex() const { return deviceIndex_; }
    uint8_t configIndex() const { return configIndex_; }
    uint8_t interfaceNumber() const { return interfaceNumber_; }
    uint8_t altIndex() const { return altIndex_; }

private:
    enum class OpenStep { Done, FailKeepOpen, FailClose };

    bool openHandle(uint8_t position);
    OpenStep readDescriptors();
    bool readDeviceDescriptor();
    void readStrings();
    std::u16string readString(uint8_t index);
    OpenStep readBos();
    void readDriverFacts();
    OpenStep readConfigurations();
    bool selectConfiguration();
    void assignEndpoints(UsbInterface& selected);
    void reportDescriptorError(std::string_view title, std::string_view text,
                               const std::string& reason);
    void clearState();

    // A standard GET_DESCRIPTOR through the control request; the bytes the device returned,
    // or null when the request failed.
    std::optional<std::vector<uint8_t>> getDescriptor(uint8_t type, uint8_t index, uint16_t langId,
                                                      uint16_t length);
    // A descriptor read in two steps: its first `headerLength` bytes, then the length they
    // announce (at byte 0 or, for blocks, the 16-bit total at byte 2).
    std::optional<std::vector<uint8_t>> getFullDescriptor(uint8_t type, uint8_t index,
                                                          uint16_t langId, bool totalLength);
    // A synchronous device-level request that must return exactly outLength bytes.
    bool deviceRequest(uint32_t code, const void* in, uint32_t inLength, void* out,
                       uint32_t outLength);

    std::span<UsbEndpoint* const> endPoints_;
    std::unique_ptr<UsbBos> bosDescriptor_;
    IsocEndpoint* isocInEndPoint_ = nullptr;
    IsocEndpoint* isocOutEndPoint_ = nullptr;
    BulkEndpoint* bulkInEndPoint_ = nullptr;
    BulkEndpoint* bulkOutEndPoint_ = nullptr;
    std::unique_ptr<ControlEndpoint> controlEndPoint_;
    InterruptEndpoint* interruptInEndPoint_ = nullptr;
    InterruptEndpoint* interruptOutEndPoint_ = nullptr;
    uint16_t languageId_ = 0;
    uint32_t lastError_ = 0;
    uint32_t usbdStatus_ = 0;
    uint32_t ntStatus_ = 0;
    uint32_t driverVersion_ = 0;
    uint32_t usbdiVersion_ = 0;
    std::array<char, kTextSize> friendlyName_{};
    std::array<char, kTextSize> deviceName_{};
    std::u16string manufacturer_;
    std::u16string product_;
    std::u16string serialNumber_;
    std::string devicePath_;
    DeviceDescriptor descriptor_;
    uint8_t address_ = 0;
    uint32_t ep0MaxPacket_ = 0;
    uint8_t configValue_ = 0;
    uint8_t configAttributes_ = 0;
    uint8_t maxPower_ = 0;
    uint8_t intfcClass_ = 0;
    uint8_t intfcSubClass_ = 0;
    uint8_t intfcProtocol_ = 0;
    bool highSpeed_ = false;
    bool superSpeed_ = false;
    uint32_t bytesTransferred_ = 0;
    std::array<std::vector<uint8_t>, kMaxConfigurations> rawConfigurations_;
    std::vector<uint8_t> rawBos_;
    std::array<std::unique_ptr<UsbConfiguration>, kMaxConfigurations> configurations_;
    host::Handle handle_ = host::kInvalidHandle;
    uint8_t deviceCount_ = 0;
    uint8_t configCount_ = 0;
    uint8_t interfaceCount_ = 0;
    uint8_t altInterfaceCount_ = 0;
    uint8_t deviceIndex_ = 0;
    uint8_t configIndex_ = 0;
    uint8_t interfaceNumber_ = 0;
    uint8_t altIndex_ = 0;
};

}  // namespace vidscope::usb
