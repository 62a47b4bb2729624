// SPDX-License-Identifier: MIT
// One raw frame waiting between the capture thread and the processing threads.
#pragma once

// The buffer comes from FrameBufferPool; whoever holds the RawFrame owns one reference to it
// and gives it back with FrameBufferPool::release when the frame is done with or dropped.
struct RawFrame {
    unsigned char* buffer = nullptr;
    int width = 0;
    int height = 0;
};
