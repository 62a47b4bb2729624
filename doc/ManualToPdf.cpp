// SPDX-License-Identifier: MIT
// Renders the Markdown user manual, with its pictures, into the PDF the Help menu opens.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

namespace {

// Text width of an A4 page with 20 mm margins, in the document's units (points).
constexpr double kTextWidth = 480;

// Every picture is handed to the document by hand (printing works on a copy of the document,
// which would not find files by their relative names) and shown at most the text's width,
// keeping its proportions.
void addPictures(QTextDocument& document, const QString& baseDir) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            const QImage picture(baseDir + "/" + format.name());
            if (picture.isNull()) {
                std::fprintf(stderr, "vidscope-manual: no picture %s\n", qPrintable(format.name()));
                std::exit(1);
            }
            document.addResource(QTextDocument::ImageResource, QUrl(format.name()), picture);
            const QSize size = picture.size();
            if (size.width() <= kTextWidth)
                continue;
            format.setWidth(kTextWidth);
            format.setHeight(kTextWidth * size.height() / size.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vidscope-manual MANUAL.md OUT.pdf\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vidscope-manual: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString baseDir = QFileInfo(source).absolutePath();
    QTextDocument document;
    document.setBaseUrl(QUrl::fromLocalFile(baseDir + "/"));
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    addPictures(document, baseDir);

    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setTitle(QStringLiteral("vidScope User Manual"));
    writer.setCreator(QStringLiteral("vidScope"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
    document.print(&writer);
    if (!QFileInfo(QString::fromLocal8Bit(argv[2])).size()) {
        std::fprintf(stderr, "vidscope-manual: nothing was written to %s\n", argv[2]);
        return 1;
    }
    return 0;
}
