// SPDX-License-Identifier: MIT
// Forwards the messages of the non-GUI layers' category logger into Qt's logging.
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <string>

// The camera stack below the GUI logs through its own categories ("usb", "host.port", ...).
// Once installed, each of them appears in Qt logging as "vidscope.core.<name>", so that
// QT_LOGGING_RULES and the message pattern apply to both worlds alike.
class CoreLogBridge {
public:
    // Installs the bridge as the core logger's sink; lives until the process ends.
    static void install();

    // The Qt category standing for a core category name; created on first use.
    static const QLoggingCategory& categoryFor(const std::string& coreName);

private:
    struct Entry {
        QByteArray name;  // must outlive the category, which keeps a pointer to it
        std::unique_ptr<QLoggingCategory> category;
    };

    static std::mutex& mutex();
    static std::map<std::string, Entry>& categories();
};
