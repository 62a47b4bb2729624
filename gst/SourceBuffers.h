// SPDX-License-Identifier: MIT
// vidscopesrc's buffers: the pool it owns, the row layout of a frame, drop and latency reports.
#pragma once

#include <gst/base/gstbasesrc.h>

#include "gst/SourceState.h"

namespace vidscope::gst {

// Buffers the pool keeps ready; it grows without limit beyond that, because encoders hold
// dozens of frames and a bound would stall the stream.
constexpr guint kPoolMinBuffers = 4;

// Puts a pool sized for the negotiated output into the allocation query.
gboolean decideAllocation(SourceState& s, GstQuery* query);
// Lays packed rows out at the stride the caps promise, in place.
void spreadRows(guint8* data, const OutputLayout& output);
// Sizes a filled buffer, describes its rows, numbers it and measures the frame interval.
void finishFrame(GstBaseSrc* src, SourceState& s, GstBuffer* buffer);
// Counts a frame the camera lost and posts it as a QoS message.
void postDrop(GstBaseSrc* src, SourceState& s, const char* reason);

}  // namespace vidscope::gst
