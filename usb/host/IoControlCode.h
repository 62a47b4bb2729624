// SPDX-License-Identifier: MIT
// Request codes that the camera driver accepts on a device handle.
#pragma once

#include <cstdint>

namespace vidscope::host {

enum IoControlCode : uint32_t {
    kIoctlGetDriverVersion = 0x220000,     // out: u32
    kIoctlGetUsbdiVersion = 0x220004,      // out: u32
    kIoctlGetAlternateSetting = 0x220008,  // out: u8
    kIoctlGetAddress = 0x220010,           // out: u8
    kIoctlControlTransfer = 0x220020,      // in/out: request record + data, overlapped
    kIoctlBufferedTransfer = 0x220024,     // in/out: request record (+ packet table) + data
    kIoctlCyclePort = 0x220028,
    kIoctlResetPipe = 0x22002C,  // in: u8 endpoint address
    kIoctlResetParentPort = 0x220030,
    kIoctlSetTransferSize = 0x220038,  // in/out: u8 endpoint address, u32 size (5 bytes)
    kIoctlGetFriendlyName = 0x22003C,  // out: 256 bytes
    kIoctlGetDeviceName = 0x220040,    // out: 256 bytes
    kIoctlAbortPipe = 0x220044,        // in: u8 endpoint address, overlapped
    kIoctlDirectTransfer = 0x22004B,   // in: request record (+ packet table); out: caller data
    kIoctlGetBusSpeed = 0x22004C,      // out: u32, 2 = high speed, 4 = super speed
};

}  // namespace vidscope::host
