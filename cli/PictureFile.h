// SPDX-License-Identifier: MIT
// Frames written to disk whole or not at all: pictures through Qt's image writers, raw bytes.
#pragma once

#include <string>
#include <vector>

namespace vidscope::cli {

class PictureFile {
public:
    // Whether the name ends in an extension a picture is written for (.png .jpg .jpeg .bmp
    // .tif .tiff, any case).
    static bool isPictureName(const std::string& path);
    // Writes a processed frame (RGB24 red first, or one grey byte per pixel) as the picture
    // format the extension names. RunError when it cannot be written; UsageError in a build
    // without Qt's image writers.
    static void writePicture(const std::string& path, const std::vector<unsigned char>& pixels,
                             unsigned width, unsigned height, bool grey);
    // RunError unless a file can be created at `path` (its folder exists and is writable),
    // checked before a capture starts so that no frames are taken for nothing.
    static void checkWritable(const std::string& path);
    // The bytes as they are. RunError when they cannot be written.
    static void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
};

}  // namespace vidscope::cli
