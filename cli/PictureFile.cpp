// SPDX-License-Identifier: MIT
// Frames written to disk whole or not at all: pictures through Qt's image writers, raw bytes.
#include "cli/PictureFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "base/TerminalText.h"
#include "cli/CliError.h"
#include "cli/TextEscape.h"

#ifdef VIDSCOPE_CLI_QT
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#endif

namespace vidscope::cli {
namespace {

std::string extensionOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

bool PictureFile::isPictureName(const std::string& path) {
    const std::string extension = extensionOf(path);
    for (const char* known : {"png", "jpg", "jpeg", "bmp", "tif", "tiff"}) {
        if (extension == known)
            return true;
    }
    return false;
}

void PictureFile::writePicture(const std::string& path, const std::vector<unsigned char>& pixels,
                               unsigned width, unsigned height, bool grey) {
#ifdef VIDSCOPE_CLI_QT
    std::string format = extensionOf(path);
    if (format == "tif")
        format = "tiff";
    if (format == "jpeg")
        format = "jpg";
    if (!QImageWriter::supportedImageFormats().contains(QByteArray::fromStdString(format)))
        throw RunError("this system's Qt cannot write " + format +
                       " pictures; install its image format plugins (qt6-image-formats-plugins)");
    const int bytesPerPixel = grey ? 1 : 3;
    const QImage image(pixels.data(), int(width), int(height), int(width) * bytesPerPixel,
                       grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    // QSaveFile writes beside the target and renames at commit: a failure leaves no half file.
    QSaveFile file(QString::fromLocal8Bit(path.c_str()));
    if (!file.open(QIODevice::WriteOnly))
        throw RunError("cannot write " + base::printableText(path) + ": " +
                       file.errorString().toStdString());
    QImageWriter writer(&file, QByteArray::fromStdString(format));
    if (!writer.write(image) || !file.commit())
        throw RunError("cannot write " + base::printableText(path) + ": " +
                       (writer.error() != QImageWriter::UnknownError
                            ? writer.errorString().toStdString()
                            : file.errorString().toStdString()));
#else
    (void)pixels;
    (void)width;
    (void)height;
    (void)grey;
    throw UsageError("this vidscope-cli was built without Qt and writes no pictures; give " +
                     base::printableText(path) + " another extension for the raw bytes");
#endif
}

void PictureFile::checkWritable(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (access(folder.c_str(), W_OK) != 0)
        throw RunError("cannot write " + base::printableText(path) + ": " + std::strerror(errno) +
                       "; check the folder exists and is writable");
}

void PictureFile::writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    const std::string partial = path + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::remove(partial.c_str());
            throw RunError("cannot write " + base::printableText(path) +
                           ": check the folder exists and the disk has room");
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        throw RunError("cannot write " + base::printableText(path));
    }
}

}  // namespace vidscope::cli
