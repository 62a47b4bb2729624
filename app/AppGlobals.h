// SPDX-License-Identifier: MIT
// Process-wide flags shared by the main window and the worker threads.
#pragma once

#include <atomic>

// The GUI thread writes these and the capture and processing threads poll them. They are
// atomics (relaxed is enough: each is a single independent value) so that the polling stays
// free of data races without a lock around every read.

// Camera index passed to every API call of the GUI.
inline std::atomic<int> currentCamera{0};
// Output format of the image pipeline: 1 RAW8, 2 GRAY8, 4 RGB24.
inline std::atomic<int> imageFormat{4};
// Most raw frames allowed to wait between capture and processing ("File/Backlog").
inline std::atomic<int> frameBacklog{2};
// Save the next captured raw frame to a ".raw" file; cleared by the capture thread.
inline std::atomic<bool> saveRawRequested{false};
// In trigger mode, each frame query first fires the software trigger.
inline std::atomic<bool> autoTrigger{false};
// Save every frame displayed while the camera is in trigger mode.
inline std::atomic<bool> saveSnapshotInTrigger{false};
