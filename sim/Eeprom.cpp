// SPDX-License-Identifier: MIT
// The camera's 8 KiB EEPROM: byte access, its write cycle, and persistence between runs.
#include "sim/Eeprom.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "sim/FirmwareLog.h"

namespace vidscope::sim {

Eeprom::Eeprom(const Image& factory, std::filesystem::path file)
    : factory_(factory), file_(std::move(file)), bytes_(factory) {
    if (!file_.empty())
        openBackingFile();
}

Eeprom::~Eeprom() {
    if (fd_ >= 0)
        ::close(fd_);
}

namespace {

// Opens the file without following a link at its last component and without blocking on a
// FIFO; creates it only when nothing is there. A link planted in a shared folder must never
// make us write through it, nor create the file it points to.
int openNoFollow(const std::filesystem::path& file, bool& created) {
    constexpr int kFlags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    created = false;
    int fd = ::open(file.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(file.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
        created = fd >= 0;
    }
    return fd;
}

}  // namespace

void Eeprom::openBackingFile() {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    bool created = false;
    fd_ = openNoFollow(file_, created);
    if (fd_ < 0) {
        VS_LOG(firmwareLog(), Warning) << "EEPROM file " << file_ << " cannot be opened ("
                                       << std::strerror(errno) << "); contents are not kept";
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        VS_LOG(firmwareLog(), Warning)
            << "EEPROM file " << file_
            << " is not a regular file of this user; it is left alone and contents are not kept";
        ::close(fd_);
        fd_ = -1;
        return;
    }
    Image stored{};
    if (st.st_size == static_cast<off_t>(kSize) &&
        ::pread(fd_, stored.data(), kSize, 0) == static_cast<ssize_t>(kSize)) {
        bytes_ = stored;
        return;
    }
    if (st.st_size != 0 && !setAsideDamagedFile(static_cast<long long>(st.st_size)))
        return;
    if (!storeAll()) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool Eeprom::setAsideDamagedFile(long long size) {
    // Whatever is in the file may be all that is left of someone's settings: keep it under
    // another name and start a fresh file, rather than overwriting it.
    ::close(fd_);
    fd_ = -1;
    std::filesystem::path bad = file_;
    bad += ".bad";
    bool created = false;
    if (::rename(file_.c_str(), bad.c_str()) != 0 || (fd_ = openNoFollow(file_, created)) < 0 ||
        !created) {
        VS_LOG(firmwareLog(), Warning)
            << "EEPROM file " << file_ << " has " << size << " bytes instead of " << kSize
            << " and cannot be set aside (" << std::strerror(errno)
            << "); factory contents are used and not kept";
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return false;
    }
    VS_LOG(firmwareLog(), Warning)
        << "EEPROM file " << file_ << " has " << size << " bytes instead of " << kSize
        << "; kept as " << bad << " and started again from factory contents";
    return true;
}

bool Eeprom::storeAll() {
    // Our own file: it is either empty or already of the right size, so overwriting the
    // whole image never needs a truncation.
    const bool ok = ::pwrite(fd_, bytes_.data(), kSize, 0) == static_cast<ssize_t>(kSize);
    if (!ok) {
        VS_LOG(firmwareLog(), Warning)
            << "EEPROM file " << file_ << " cannot be written (" << std::strerror(errno) << ")";
    }
    return ok;
}

void Eeprom::waitForWriteCycle(std::unique_lock<std::mutex>& lock) {
    const auto end = cycleEnd_;
    if (std::chrono::steady_clock::now() >= end)
        return;
    lock.unlock();
    std::this_thread::sleep_until(end);
    lock.lock();
}

std::optional<uint8_t> Eeprom::read(uint16_t address) {
    if (address >= kSize)
        return std::nullopt;
    std::unique_lock lock(mutex_);
    waitForWriteCycle(lock);
    return bytes_[address];
}

bool Eeprom::write(uint16_t address, uint8_t value) {
    if (address >= kSize)
        return false;
    std::unique_lock lock(mutex_);
    waitForWriteCycle(lock);
    bytes_[address] = value;
    cycleEnd_ = std::chrono::steady_clock::now() + kWriteTime;
    if (fd_ >= 0 && ::pwrite(fd_, &value, 1, address) != 1) {
        VS_LOG(firmwareLog(), Warning)
            << "EEPROM file " << file_ << " cannot be written (" << std::strerror(errno) << ")";
    }
    return true;
}

void Eeprom::restoreFactory() {
    std::unique_lock lock(mutex_);
    waitForWriteCycle(lock);
    bytes_ = factory_;
    if (fd_ >= 0)
        storeAll();
}

Eeprom::Image Eeprom::contents() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::filesystem::path Eeprom::defaultDirectory() {
    auto env = [](const char* name) -> std::string {
        const char* v = std::getenv(name);
        return v ? v : "";
    };
    if (std::string dir = env("VIDSCOPE_VIRTUAL_DIR"); !dir.empty())
        return dir;
    if (std::string state = env("XDG_STATE_HOME"); !state.empty() && state.front() == '/')
        return std::filesystem::path(state) / "vidscope" / "virtual";
    if (std::string home = env("HOME"); !home.empty())
        return std::filesystem::path(home) / ".local" / "state" / "vidscope" / "virtual";
    return {};
}

std::string Eeprom::fileName(uint16_t productId, uint32_t instance) {
    char name[40];
    std::snprintf(name, sizeof name, "%04X-%u.eeprom", productId, instance);
    return name;
}

}  // namespace vidscope::sim
