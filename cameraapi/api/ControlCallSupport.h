// SPDX-License-Identifier: MIT
// Small helpers the control functions share: settings getters and register write results.
#pragma once

#include <optional>

#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/LastError.h"
#include "cameraapi/device/ControlChannel.h"
#include "cameraapi/model/ExposureRegisters.h"
#include "cameraapi/model/ModelTable.h"

namespace vidscope::api {

// True for success; otherwise records the result's code as the last error.
inline bool finish(const ControlResult& result) {
    return result.ok() || ApiCall::fail(result.error);
}

inline bool finishCode(int error) {
    return error == 0 || ApiCall::fail(error);
}

// The sensor code of the camera's model; 0 (no register handling) for an unknown model.
inline uint16_t sensorCodeOf(const CameraContext& context) {
    const ModelRow* row = ModelTable::row(context.modelIndex);
    return row != nullptr ? row->sensorCode : 0;
}

// Writes a register when there is one to write; nothing to write is success.
inline ControlResult writeIfAny(CameraContext& context, const std::optional<RegisterWrite>& w) {
    if (!w)
        return {};
    return ControlChannel::writeRegister(context, w->address, w->value);
}

// A getter of one settings value under the shared prologue; `failure` when it fails.
template <class Result, class Reader>
Result readSetting(int index, Result failure, Reader&& reader) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return failure;
    return call.context().pipeline.read(reader);
}

// Runs `body` after a nested call whose failure is deliberately ignored, so that the thread's
// last error still names the last failure the caller was told about.
template <class Body>
auto keepingLastError(Body&& body) {
    const int before = LastError::get();
    auto result = body();
    LastError::set(before);
    return result;
}

}  // namespace vidscope::api
