// SPDX-License-Identifier: MIT
// Category logger: registry of categories, rule parsing and the output sink.
#include "base/LogCategory.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace vidscope::base {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<LogCategory*> categories;
    std::string rules;
    LogCategory::Sink sink;
};

Registry& registry() {
    static Registry* r = [] {
        auto* created = new Registry;  // never destroyed: categories may log during exit
        if (const char* env = std::getenv("VIDSCOPE_LOG"))
            created->rules = env;
        return created;
    }();
    return *r;
}

bool parseLevel(std::string_view text, LogLevel& level) {
    static constexpr std::pair<std::string_view, LogLevel> kNames[] = {
        {"debug", LogLevel::Debug}, {"info", LogLevel::Info}, {"warning", LogLevel::Warning},
        {"error", LogLevel::Error}, {"off", LogLevel::Off},   {"true", LogLevel::Debug},
        {"false", LogLevel::Off}};
    for (const auto& [name, value] : kNames) {
        if (text == name) {
            level = value;
            return true;
        }
    }
    return false;
}

bool patternMatches(std::string_view pattern, std::string_view name) {
    if (pattern == "*")
        return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
        std::string_view prefix = pattern.substr(0, pattern.size() - 1);
        return name.substr(0, prefix.size()) == prefix ||
               name == pattern.substr(0, pattern.size() - 2);
    }
    return pattern == name;
}

// Later rules win, as in Qt's logging rules.
void applyRules(LogCategory& category, std::string_view rules) {
    while (!rules.empty()) {
        size_t comma = rules.find(',');
        std::string_view rule = rules.substr(0, comma);
        rules = comma == std::string_view::npos ? std::string_view{} : rules.substr(comma + 1);
        size_t eq = rule.find('=');
        LogLevel level;
        if (eq == std::string_view::npos || !parseLevel(rule.substr(eq + 1), level))
            continue;
        if (patternMatches(rule.substr(0, eq), category.name()))
            category.setThreshold(level);
    }
}

}  // namespace

LogCategory::LogCategory(const char* name)
    : name_(name), threshold_(static_cast<int>(LogLevel::Warning)) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.categories.push_back(this);
    applyRules(*this, r.rules);
}

void LogCategory::setRules(std::string_view rules) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.rules = rules;
    for (LogCategory* category : r.categories) {
        category->setThreshold(LogLevel::Warning);
        applyRules(*category, rules);
    }
}

void LogCategory::setSink(Sink sink) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.sink = std::move(sink);
}

void LogCategory::write(LogLevel level, const std::string& message) const {
    Registry& r = registry();
    Sink sink;
    {
        std::lock_guard lock(r.mutex);
        sink = r.sink;
    }
    if (sink) {
        sink(*this, level, message);
        return;
    }
    std::fprintf(stderr, "%s: %s: %s\n", name_, logLevelName(level), message.c_str());
}

const char* logLevelName(LogLevel level) {
    switch (level) {
        case LogLevel::Debug:
            return "debug";
        case LogLevel::Info:
            return "info";
        case LogLevel::Warning:
            return "warning";
        case LogLevel::Error:
            return "error";
        case LogLevel::Off:
            break;
    }
    return "off";
}

}  // namespace vidscope::base
