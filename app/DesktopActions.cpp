// SPDX-License-Identifier: MIT
// The real desktop behind the seam: freedesktop file manager over D-Bus, default URL handlers.
#include "DesktopActions.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

// A file manager that does not answer within this time is treated as absent.
constexpr int kFileManagerTimeoutMs = 3000;

class SystemDesktop final : public DesktopActions {
public:
    bool openFile(const QString& fileName) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
    }

    bool showInFolder(const QString& fileName) override {
        const QString url = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString();
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{url} << QString();
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected() && bus.call(call, QDBus::Block, kFileManagerTimeoutMs).type() ==
                                     QDBusMessage::ReplyMessage)
            return true;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileName).absolutePath()));
    }
};

SystemDesktop systemDesktop;
DesktopActions* current = &systemDesktop;

}  // namespace

DesktopActions& DesktopActions::instance() {
    return *current;
}

void DesktopActions::setInstance(DesktopActions* actions) {
    current = actions ? actions : &systemDesktop;
}
