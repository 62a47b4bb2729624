// SPDX-License-Identifier: MIT
// Displayed frame rate of the live view with and without 100 marks while the mouse moves.
//
// Runs the real main window (offscreen) on the streaming 4384 x 3288 virtual camera 3E00,
// fitted to the window, and feeds the view a mouse move every 10 ms. Phase A has no marks
// and no tool; phase B has 100 marks of every kind and a line being drawn that follows the
// mouse, so every move repaints the whole scene. Prints frames shown and viewport paints per
// second for each phase.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "InteractiveScene.h"
#include "MainWindow.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void spin(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

void sendMove(QWidget* viewport, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
}

void sendClick(QWidget* viewport, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
}

struct Rates {
    double frames;
    double paints;
};

Rates measure(MainWindow& window, PaintCounter& counter, int seconds) {
    auto* view = window.findChild<QGraphicsView*>("gvMain");
    QWidget* viewport = view->viewport();
    int step = 0;
    QTimer mover;
    QObject::connect(&mover, &QTimer::timeout, [&] {
        ++step;
        sendMove(viewport, QPoint(100 + (step * 7) % 500, 100 + (step * 5) % 300));
    });
    mover.start(10);
    spin(1000);  // settle
    const long long frames0 = window.videoPipeline()->displayedFrames();
    const int paints0 = counter.paints;
    QElapsedTimer timer;
    timer.start();
    spin(seconds * 1000);
    const double elapsed = timer.elapsed() / 1000.0;
    mover.stop();
    return {(window.videoPipeline()->displayedFrames() - frames0) / elapsed,
            (counter.paints - paints0) / elapsed};
}

QByteArray hundredMarks() {
    QByteArray text;
    const char* const kinds[] = {
        "Line #00ffff 1 1 | %1 %2 %3 %4",      "VLine #00ff00 1 1 | %1 %2",
        "HLine #00ff00 1 1 | %1 %2",           "Rectangle #0000ff 1 1 | %1 %2 %3 %4",
        "Arc #ff0000 1 1 | %1 %2 %3 %4 %3 %2", "Circle #ffff00 1 1 | %1 %2 %3 %4 %1 %4",
        "Coordinates #ffffff 1 1 | %1 %2",     "Polygon #ffff00 1 1 3 | %1 %2 %3 %2 %1 %4 ",
    };
    for (int i = 0; i < 100; ++i) {
        const int x = 100 + (i * 397) % 4000, y = 100 + (i * 211) % 3000;
        QString record = QString::fromLatin1(kinds[i % 8]);
        record = record.arg(x).arg(y);
        if (record.contains(QLatin1String("%3")))
            record = record.arg(x + 150).arg(y + 120);
        text += record.toLatin1() + "\r\n";
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("VIDSCOPE_VIRTUAL_DIR", dir.path().toLocal8Bit());
    qputenv("VIDSCOPE_LIBUSB", "0");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    QDir::setCurrent(dir.path());
    auto ports = vidscope::host::Driver::instance().attachVirtualCameras("3E00");
    if (ports.size() != 1) {
        std::fprintf(stderr, "virtual camera 3E00 not available\n");
        return 1;
    }
    Rates without{}, with{};
    {
        MainWindow window;
        window.resize(1280, 900);
        window.show();
        PaintCounter counter;
        window.findChild<QGraphicsView*>("gvMain")->viewport()->installEventFilter(&counter);
        spin(2000);
        QMetaObject::invokeMethod(&window, "on_actionFit_Screen_triggered");
        without = measure(window, counter, seconds);

        QFile marks(QStringLiteral("mark.txt"));
        marks.open(QIODevice::WriteOnly);
        marks.write(hundredMarks());
        marks.close();
        window.findChild<QAction*>("actionLoad")->trigger();
        std::printf("marks loaded: %d\n", window.scene()->markCount());
        window.findChild<QAction*>("actionLine")->trigger();
        sendClick(window.findChild<QGraphicsView*>("gvMain")->viewport(), QPoint(50, 50));
        with = measure(window, counter, seconds);
        window.close();
    }
    for (auto id : ports)
        vidscope::host::Driver::instance().detach(id);
    std::printf("no marks:              %.2f frames/s shown, %.2f paints/s\n", without.frames,
                without.paints);
    std::printf("100 marks + live line: %.2f frames/s shown, %.2f paints/s\n", with.frames,
                with.paints);
    std::printf("frame rate change: %+.1f %%\n",
                without.frames > 0 ? 100.0 * (with.frames - without.frames) / without.frames : 0);
    return 0;
}
