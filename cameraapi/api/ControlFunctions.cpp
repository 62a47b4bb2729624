// SPDX-License-Identifier: MIT
// Public control-channel functions: sensor registers, EEPROM bytes, user data, colour matrix.
#include <algorithm>
#include <array>

#include "cameraapi/api/ApiCall.h"
#include "cameraapi/device/ControlChannel.h"
#include "vidscope/camera_api.h"

using vidscope::api::ApiCall;
using vidscope::api::ControlChannel;
using vidscope::api::ControlResult;
using vidscope::api::LockMode;
using vidscope::api::Needs;

namespace {

bool finish(const ControlResult& result) {
    return result.ok() || ApiCall::fail(result.error);
}

bool isUserDataLength(int length) {
    return length == static_cast<int>(ControlChannel::kUserDataLength);
}

uint16_t matrixAddress(size_t entry, size_t byte) {
    return static_cast<uint16_t>(ControlChannel::kColourMatrixAddress + 2 * entry + byte);
}

}  // namespace

extern "C" bool CameraWriteSCCB(int index, int /*reserved1*/, unsigned short address,
                                unsigned short value, int /*reserved2*/) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    return finish(ControlChannel::writeRegister(call.context(), address, value));
}

extern "C" bool CameraReadSCCB(int index, int /*reserved1*/, unsigned short address,
                               unsigned int* value, int /*reserved2*/) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    if (value == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    const ControlResult result = ControlChannel::readRegister(call.context(), address);
    if (result.ok())
        *value = result.value;
    return finish(result);
}

extern "C" bool CameraWriteEEPROM(int index, int /*reserved1*/, unsigned short address,
                                  unsigned char value, int /*reserved2*/) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    return finish(ControlChannel::writeEeprom(call.context(), address, value));
}

extern "C" bool CameraReadEEPROM(int index, int /*reserved1*/, unsigned short address,
                                 unsigned char* value, int /*reserved2*/) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    if (value == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    const ControlResult result = ControlChannel::readEeprom(call.context(), address);
    if (result.ok())
        *value = static_cast<unsigned char>(result.value);
    return finish(result);
}

// The block functions take no lock of their own: each byte is one EEPROM call, which locks.
extern "C" bool CameraReadUserData(int index, unsigned char* data, int length) {
    if (!ApiCall::acceptIndex(index))
        return false;
    if (data == nullptr || !isUserDataLength(length))
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    for (size_t i = 0; i < ControlChannel::kUserDataLength; ++i) {
        const auto address = static_cast<uint16_t>(ControlChannel::kUserDataAddress + i);
        if (!CameraReadEEPROM(index, 0, address, &data[i], 0))
            return false;
    }
    return true;
}

// Stops at the first failure; the bytes before it stay written.
extern "C" bool CameraWriteUserData(int index, const unsigned char* data, int length) {
    if (!ApiCall::acceptIndex(index))
        return false;
    if (data == nullptr || !isUserDataLength(length))
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    for (size_t i = 0; i < ControlChannel::kUserDataLength; ++i) {
        const auto address = static_cast<uint16_t>(ControlChannel::kUserDataAddress + i);
        if (!CameraWriteEEPROM(index, 0, address, data[i], 0))
            return false;
    }
    return true;
}

extern "C" bool CameraReadEEPROMCCM(int index, double* matrix) {
    if (!ApiCall::acceptIndex(index))
        return false;
    if (matrix == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    // After a failed read nothing more is asked for; the bytes not read count as 0.
    std::array<unsigned char, 2 * ControlChannel::kColourMatrixEntries> bytes{};
    bool ok = true;
    for (size_t i = 0; i < bytes.size() && ok; ++i)
        ok = CameraReadEEPROM(index, 0, matrixAddress(0, i), &bytes[i], 0);
    ControlChannel::Matrix stored;
    for (size_t k = 0; k < stored.size(); ++k)
        stored[k] = ControlChannel::decodeMatrixEntry(bytes[2 * k], bytes[2 * k + 1]);
    if (ok && !ControlChannel::plausibleMatrix(stored))
        stored = ControlChannel::identityMatrix();
    std::copy(stored.begin(), stored.end(), matrix);
    return ok;
}

extern "C" bool CameraWriteEEPROMCCM(int index, const double* matrix) {
    if (!ApiCall::acceptIndex(index))
        return false;
    if (matrix == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    // Every entry is checked before the first byte goes out, so that a bad entry never
    // leaves half a matrix behind.
    std::array<int16_t, ControlChannel::kColourMatrixEntries> encoded{};
    for (size_t k = 0; k < encoded.size(); ++k) {
        const auto entry = ControlChannel::encodeMatrixEntry(matrix[k]);
        if (!entry)
            return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
        encoded[k] = *entry;
    }
    for (size_t k = 0; k < encoded.size(); ++k) {
        const auto v = static_cast<uint16_t>(encoded[k]);
        if (!CameraWriteEEPROM(index, 0, matrixAddress(k, 0), static_cast<unsigned char>(v >> 8),
                               0) ||
            !CameraWriteEEPROM(index, 0, matrixAddress(k, 1), static_cast<unsigned char>(v), 0))
            return false;
    }
    return true;
}
