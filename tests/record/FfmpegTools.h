// SPDX-License-Identifier: MIT
// Judges AVI files with FFmpeg's own ffprobe and ffmpeg, and gives tests a scratch folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace avitest {

// A fresh folder on the disk under TMPDIR (or /tmp), removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/vidscope-avi-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
        EXPECT_FALSE(path_.empty()) << "cannot create a scratch folder";
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a shell command; standard output comes back in `out`, standard error in `err`.
inline CommandResult run(const std::string& command) {
    char errName[] = "/tmp/vidscope-avi-err-XXXXXX";
    const int errFd = mkstemp(errName);
    if (errFd >= 0)
        close(errFd);
    CommandResult result;
    FILE* pipe = popen((command + " 2>" + shellQuote(errName)).c_str(), "r");
    if (!pipe)
        return result;
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = readWholeFile(errName);
    std::remove(errName);
    return result;
}

// The first video stream as ffprobe sees it, with every packet counted by reading the file.
inline std::map<std::string, std::string> probe(const std::string& path) {
    const CommandResult r =
        run(std::string(VIDSCOPE_FFPROBE) +
            " -v error -count_packets -select_streams v:0 -show_entries "
            "stream=codec_type,codec_name,codec_tag_string,pix_fmt,width,height,r_frame_rate,"
            "nb_read_packets:format=format_name -of default=noprint_wrappers=1 " +
            shellQuote(path));
    std::map<std::string, std::string> fields;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "") << "ffprobe complained about " << path;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return fields;
}

// Decodes every frame; returns FFmpeg's complaints (empty when all frames decoded cleanly).
inline std::string decodeErrors(const std::string& path) {
    const CommandResult r = run(std::string(VIDSCOPE_FFMPEG) + " -nostdin -v error -i " +
                                shellQuote(path) + " -f null -");
    if (r.status != 0 && r.err.empty())
        return "ffmpeg exited with " + std::to_string(r.status);
    return r.err;
}

// Every frame decoded by FFmpeg into `pixelFormat` ("rgb24", "gray"), back to back.
inline std::string decodedPixels(const std::string& path, const std::string& pixelFormat,
                                 const std::string& filter = "") {
    const CommandResult r =
        run(std::string(VIDSCOPE_FFMPEG) + " -nostdin -v error -i " + shellQuote(path) +
            (filter.empty() ? "" : " -vf " + shellQuote(filter)) + " -f rawvideo -pix_fmt " +
            pixelFormat + " -");
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

}  // namespace avitest
