// SPDX-License-Identifier: MIT
// libFuzzer entry point: one input as a parameter file through the magic check and key reader.
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "ParameterFile.h"

namespace {

// The settings library reads files only, and caches them by name: every input gets a fresh one.
QString nextPath() {
    static QTemporaryDir dir;
    static unsigned long counter = 0;
    return dir.filePath(QStringLiteral("in%1.txt").arg(counter++));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > size_t(ParameterFile::kMaxFileSize))
        return 0;
    const QString path = nextPath();
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return 0;
        out.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    {
        const QSettings file(path, QSettings::IniFormat);
        if (ParameterFile::hasMagic(file)) {
            const CameraParameters values = ParameterFile::read(file);
            // What the reader makes of any file, the writer writes and the reader reads back the
            // same.
            QSettings copy(path + ".copy", QSettings::IniFormat);
            ParameterFile::write(copy, values);
            copy.sync();
            if (!(ParameterFile::read(copy) == values))
                __builtin_trap();
        }
    }
    QFile::remove(path);
    QFile::remove(path + ".copy");
    return 0;
}
