// SPDX-License-Identifier: MIT
// Writing a stored sequence out: numbered pictures, or one AVI file, oldest frame first.
#include "SequenceExport.h"

#include <QFile>
#include <QImageWriter>

#include "AviWriter.h"
#include "FrameImage.h"

using vidscope::record::AviWriter;

namespace {

const char* formatOf(int type) {
    switch (type) {
        case 0:
            return "bmp";
        case 1:
            return "jpg";
        case 2:
            return "png";
        default:
            return nullptr;
    }
}

}  // namespace

QString SequenceExport::pictureName(const QString& folder, int k, int type) {
    const char* format = formatOf(type);
    return folder + QLatin1Char('/') + QString::number(k) +
           (format ? QLatin1Char('.') + QLatin1String(format) : QString());
}

SequenceExport::PictureResult SequenceExport::writePictures(const QString& folder,
                                                            const std::vector<QImage>& frames,
                                                            int type, int quality,
                                                            const Progress& progress,
                                                            const std::atomic<bool>& cancel) {
    PictureResult result;
    const int count = int(frames.size());
    for (int k = 0; k < count && !cancel.load(); ++k) {
        const QImage& frame = frames[std::size_t(k)];
        const bool grey = vidscope::record::logicalBytesPerPixel(frame) == 1;
        const QImage picture = grey ? frame.convertToFormat(QImage::Format_Grayscale8)
                                    : frame.convertToFormat(QImage::Format_RGB888);
        const QString name = pictureName(folder, k, type);
        QImageWriter writer(name, formatOf(type));
        writer.setQuality(quality);
        if (!writer.write(picture)) {
            result.error = tr("Cannot write %1: %2").arg(name, writer.errorString());
            break;
        }
        ++result.saved;
        if (progress)
            progress(k + 1, count);
    }
    return result;
}

SequenceExport::AviResult SequenceExport::writeAvi(const QString& path,
                                                   const std::vector<QImage>& frames, int fps,
                                                   const Progress& progress,
                                                   const std::atomic<bool>& cancel) {
    AviResult result;
    std::string error;
    auto writer = AviWriter::open(QFile::encodeName(path).toStdString(), fps, &error);
    if (!writer) {
        result.error =
            tr("Cannot save the sequence: %1").arg(QString::fromLocal8Bit(error.c_str()));
        return result;
    }
    const int count = int(frames.size());
    for (int k = 0; k < count && !cancel.load(); ++k) {
        QImage scratch;
        const auto status =
            writer->writeFrame(vidscope::record::frameViewOf(frames[std::size_t(k)], scratch));
        if (status == AviWriter::Status::kSizeMismatch) {
            ++result.refused;  // recorded before a resolution change: one size per file
        } else if (status != AviWriter::Status::kOk) {
            break;
        } else {
            ++result.written;
        }
        if (progress)
            progress(k + 1, count);
    }
    if (!writer->close() || writer->failed())
        result.error = tr("Sequence AVI ended early: %1")
                           .arg(QString::fromLocal8Bit(writer->errorText().c_str()));
    return result;
}
