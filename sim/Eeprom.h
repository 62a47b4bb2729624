// SPDX-License-Identifier: MIT
// The camera's 8 KiB EEPROM: byte access, its write cycle, and persistence between runs.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace vidscope::sim {

// Thread-safe. Every write starts a write cycle; an access that arrives during the cycle is
// served when the cycle ends, as the firmware polls the part until it answers again.
// With a backing file, every written byte goes straight to that file, so contents survive a
// crash as well as a restart.
class Eeprom {
public:
    static constexpr size_t kSize = 8192;
    static constexpr std::chrono::milliseconds kWriteTime{5};
    using Image = std::array<uint8_t, kSize>;

    // `file` empty: the contents live in memory only. A missing file is created from the
    // factory image; a file of the wrong size is kept as "<file>.bad" and replaced by the
    // factory image. Anything but a regular file of this user (a link, a FIFO, another
    // user's file) is left untouched and the contents live in memory only.
    Eeprom(const Image& factory, std::filesystem::path file);
    ~Eeprom();
    Eeprom(const Eeprom&) = delete;
    Eeprom& operator=(const Eeprom&) = delete;

    std::optional<uint8_t> read(uint16_t address);
    bool write(uint16_t address, uint8_t value);

    // Factory contents again, also in the backing file.
    void restoreFactory();
    Image contents() const;
    const std::filesystem::path& file() const { return file_; }
    bool persistent() const { return fd_ >= 0; }

    // Where virtual cameras keep their EEPROM files: VIDSCOPE_VIRTUAL_DIR, else
    // $XDG_STATE_HOME/vidscope/virtual, else ~/.local/state/vidscope/virtual; empty when no
    // home directory is known.
    static std::filesystem::path defaultDirectory();
    static std::string fileName(uint16_t productId, uint32_t instance);

private:
    void waitForWriteCycle(std::unique_lock<std::mutex>& lock);
    void openBackingFile();
    // Renames a file of the wrong size to "<file>.bad" and opens a fresh one in its place.
    bool setAsideDamagedFile(long long size);
    bool storeAll();

    const Image factory_;
    const std::filesystem::path file_;
    mutable std::mutex mutex_;
    Image bytes_;
    int fd_ = -1;
    std::chrono::steady_clock::time_point cycleEnd_{};
};

}  // namespace vidscope::sim
