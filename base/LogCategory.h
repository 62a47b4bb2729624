// SPDX-License-Identifier: MIT
// Category logger of the non-GUI layers: one category per subsystem, switchable at run time.
#pragma once

#include <atomic>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>

namespace vidscope::base {

enum class LogLevel { Debug = 0, Info = 1, Warning = 2, Error = 3, Off = 4 };

// A named category with its own threshold. Categories are created as function-local statics
// (see VIDSCOPE_LOG_CATEGORY) and register themselves so that rules can reach them later.
class LogCategory {
public:
    explicit LogCategory(const char* name);
    LogCategory(const LogCategory&) = delete;
    LogCategory& operator=(const LogCategory&) = delete;

    const char* name() const { return name_; }
    bool isEnabled(LogLevel level) const {
        return static_cast<int>(level) >= threshold_.load(std::memory_order_relaxed);
    }
    void setThreshold(LogLevel level) {
        threshold_.store(static_cast<int>(level), std::memory_order_relaxed);
    }

    // Applies rules of the form "usb=debug,host.*=warning,*=info". The environment variable
    // VIDSCOPE_LOG holds the rules read at start-up.
    static void setRules(std::string_view rules);

    // Where enabled messages go; standard error when unset. The GUI installs a sink that
    // forwards into its own logging so both end up in one place.
    using Sink = std::function<void(const LogCategory&, LogLevel, const std::string&)>;
    static void setSink(Sink sink);

    void write(LogLevel level, const std::string& message) const;

private:
    const char* name_;
    std::atomic<int> threshold_;
};

// Builds one message with stream syntax and hands it to the category when it goes out of scope.
class LogMessage {
public:
    LogMessage(const LogCategory& category, LogLevel level) : category_(category), level_(level) {}
    ~LogMessage() { category_.write(level_, stream_.str()); }
    template <typename T>
    LogMessage& operator<<(const T& value) {
        stream_ << value;
        return *this;
    }

private:
    const LogCategory& category_;
    LogLevel level_;
    std::ostringstream stream_;
};

const char* logLevelName(LogLevel level);

}  // namespace vidscope::base

// Declares `const LogCategory& fn()` returning a lazily created category named `name`.
#define VIDSCOPE_LOG_CATEGORY(fn, name)                \
    inline const ::vidscope::base::LogCategory& fn() { \
        static ::vidscope::base::LogCategory c(name);  \
        return c;                                      \
    }

// VS_LOG(usbLog(), Warning) << "text " << value;  -- the stream is skipped when disabled.
#define VS_LOG(category, level)                                     \
    if (!(category).isEnabled(::vidscope::base::LogLevel::level)) { \
    } else                                                          \
        ::vidscope::base::LogMessage((category), ::vidscope::base::LogLevel::level)
