// SPDX-License-Identifier: MIT
// Forwards the messages of the non-GUI layers' category logger into Qt's logging.
#include "CoreLogBridge.h"

#include <QDebug>

#include "base/LogCategory.h"

using vidscope::base::LogCategory;
using vidscope::base::LogLevel;

std::mutex& CoreLogBridge::mutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, CoreLogBridge::Entry>& CoreLogBridge::categories() {
    static std::map<std::string, Entry> map;
    return map;
}

const QLoggingCategory& CoreLogBridge::categoryFor(const std::string& coreName) {
    std::lock_guard lock(mutex());
    auto& map = categories();
    auto it = map.find(coreName);
    if (it == map.end()) {
        it = map.emplace(coreName, Entry{}).first;
        Entry& entry = it->second;
        entry.name = QByteArray("vidscope.core.") + QByteArray::fromStdString(coreName);
        entry.category = std::make_unique<QLoggingCategory>(entry.name.constData());
    }
    return *it->second.category;
}

void CoreLogBridge::install() {
    LogCategory::setSink([](const LogCategory& core, LogLevel level, const std::string& text) {
        const QLoggingCategory& category = categoryFor(core.name());
        const QString message = QString::fromStdString(text);
        switch (level) {
            case LogLevel::Debug:
                qCDebug(category).noquote() << message;
                break;
            case LogLevel::Info:
                qCInfo(category).noquote() << message;
                break;
            case LogLevel::Warning:
                qCWarning(category).noquote() << message;
                break;
            case LogLevel::Error:
            case LogLevel::Off:
                qCCritical(category).noquote() << message;
                break;
        }
    });
}
