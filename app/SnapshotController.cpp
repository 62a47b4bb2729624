// SPDX-License-Identifier: MIT
// Snapshots on demand, in trigger mode and on a schedule: what is saved, where it is listed.
#include "SnapshotController.h"

#include <QGraphicsScene>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "DockPreview.h"
#include "UserPrompts.h"
#include "VideoPipeline.h"

namespace {

constexpr int kRaw8 = 1;
constexpr int kGray8 = 2;

// An 8-bit indexed copy with a grey palette: BMP files then hold one byte per pixel.
QImage indexedGrey(const QImage& image) {
    const QImage grey = image.format() == QImage::Format_Grayscale8
                            ? image
                            : image.convertToFormat(QImage::Format_Grayscale8);
    QImage indexed(grey.size(), QImage::Format_Indexed8);
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = qRgb(i, i, i);
    indexed.setColorTable(table);
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(indexed.scanLine(y), grey.constScanLine(y), std::size_t(grey.width()));
    return indexed;
}

}  // namespace

SnapshotController::SnapshotController(AppSettings& settings, VideoPipeline& pipeline,
                                       QGraphicsScene& scene, MarkCount markCount,
                                       DockPreview& preview, QWidget* promptParent, Clock clock)
    : settings_(settings),
      pipeline_(pipeline),
      scene_(scene),
      markCount_(std::move(markCount)),
      preview_(preview),
      promptParent_(promptParent),
      writer_(settings, clock),
      scheduler_(clock) {
    connect(&scheduler_, &ShotScheduler::shotDue, this, &SnapshotController::takeTimedShot);
}

QImage SnapshotController::renderScene(const QImage& picture) const {
    QImage image(picture.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    scene_.render(&painter, QRectF(image.rect()), scene_.sceneRect(), Qt::KeepAspectRatio);
    return image;
}

QImage SnapshotController::displayedSnapshot() const {
    const QImage picture = pipeline_.displayedImage();
    if (picture.isNull())
        return {};
    if (markCount_() > 0)
        return renderScene(picture);
    const int format = imageFormat.load();
    if (format == kRaw8 || format == kGray8)
        return indexedGrey(picture);
    return picture;
}

void SnapshotController::saveDisplayed() {
    const QImage image = displayedSnapshot();
    if (!image.isNull())
        saveSnapshot(image);
}

bool SnapshotController::report(const SnapshotWriter::Result& result, const char* source) {
    switch (result.status) {
        case SnapshotWriter::Status::Saved:
            return true;
        case SnapshotWriter::Status::NoFolder:
            UserPrompts::instance().notice(promptParent_, tr("notice"),
                                           tr("Please select valid path!"));
            return false;
        case SnapshotWriter::Status::Failed:
            emit logNote(tr("Picture not saved: %1 (%2)").arg(result.fileName, result.error),
                         QString::fromLatin1(source));
            return false;
    }
    return false;
}

void SnapshotController::saveSnapshot(const QImage& image) {
    const SnapshotWriter::Result result = writer_.saveSnapshot(image);
    if (report(result, "saveImage"))
        preview_.addPicture(result.fileName, image);
}

void SnapshotController::saveTimedShot(const QImage& image) {
    report(writer_.saveTimedShot(image), "saveImageDay");
}

void SnapshotController::takeTimedShot(double scale) {
    const QImage picture = pipeline_.displayedImage();
    if (picture.isNull())
        return;
    if (scale == 1.0) {
        saveTimedShot(picture);
        return;
    }
    // A scale that would leave no pixel still gives one pixel's width; a hand-edited huge
    // scale stops at four times the picture rather than at the end of memory.
    constexpr int kLargestScale = 4;
    const int width =
        std::clamp(static_cast<int>(picture.width() * scale), 1, picture.width() * kLargestScale);
    saveTimedShot(picture.scaledToWidth(width, Qt::FastTransformation));
}
