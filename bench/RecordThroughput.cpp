// SPDX-License-Identifier: MIT
// Measures live AVI recording from paced virtual cameras and Save Avi of a stored sequence.
//
//   bench_record [SECONDS] [FOLDER]     (defaults: 20 s, $TMPDIR or /tmp)
//
// For each camera (3120: 1280 x 960, 3E00: 4384 x 3288) the real window records for SECONDS;
// the program reports frames offered, written and dropped, MB/s written, the writer thread's
// CPU time per frame, and dd writing the same number of bytes into the same folder. Then it
// saves a 100-frame 1280 x 960 sequence as one AVI. The files are deleted afterwards.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>

#include "AviThread.h"
#include "MainWindow.h"
#include "RecordingController.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

namespace {

void spinFor(qint64 ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

bool spinUntil(const std::function<bool()>& done, qint64 ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return done();
}

// dd of `bytes` into `folder`; returns MB/s as dd measured it (page cache, like the recorder)
// and with fdatasync (what the disk itself sustains).
void compareWithDd(const QString& folder, qint64 bytes) {
    const qint64 mib = std::max<qint64>(1, bytes >> 20);
    for (const char* sync : {"", "conv=fdatasync"}) {
        const QString target = folder + QStringLiteral("/dd.bin");
        QProcess dd;
        QStringList args{"if=/dev/zero", "of=" + target, "bs=1M", "count=" + QString::number(mib)};
        if (*sync)
            args << QString::fromLatin1(sync);
        QElapsedTimer timer;
        timer.start();
        dd.start(QStringLiteral("dd"), args);
        dd.waitForFinished(-1);
        const double seconds = timer.elapsed() / 1000.0;
        std::printf("  dd %lld MiB %-15s %8.1f MB/s (%.2f s)\n", mib, *sync ? sync : "(page cache)",
                    double(mib << 20) / 1e6 / seconds, seconds);
        QFile::remove(target);
    }
}

void recordFrom(const char* camera, int seconds, const QString& folder) {
    auto& driver = vidscope::host::Driver::instance();
    const auto ports = driver.attachVirtualCameras(camera);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    {
        QSettings ini(QStringLiteral("setting.ini"), QSettings::IniFormat);
        ini.setValue("Language/Lang", 1);
        ini.setValue("File/Path", folder);
    }
    {
        MainWindow window;
        window.show();
        VideoPipeline* pipeline = window.videoPipeline();
        AviThread* thread = window.aviThread();
        spinFor(3000);  // let the stream and the rate settle
        const long long capturedBefore = pipeline->capturedFrames();
        const long long queueDropsBefore = pipeline->queueDrops();
        const long long staleBefore = pipeline->staleDrops();
        const double cpuBefore = thread->writerCpuSeconds();
        QList<QList<int>> finished;  // filled on this thread, as the window receives it
        QObject::connect(thread, &AviThread::finished, &window,
                         [&finished](int total, int dropped) {
                             finished.append({total, dropped});
                         });
        QElapsedTimer timer;
        timer.start();
        window.recordingController()->startCapture();
        spinFor(seconds * 1000LL);
        window.recordingController()->stopCapture();
        spinUntil([&] { return !finished.isEmpty(); }, 600000);
        const double elapsed = timer.elapsed() / 1000.0;
        const double cpu = thread->writerCpuSeconds() - cpuBefore;
        const int total = finished.isEmpty() ? -1 : finished.first().at(0);
        const int dropped = finished.isEmpty() ? -1 : finished.first().at(1);
        const QStringList files = QDir(folder).entryList({QStringLiteral("*.avi")}, QDir::Files);
        const qint64 size = files.isEmpty() ? 0 : QFileInfo(folder + "/" + files[0]).size();
        const QImage frame = pipeline->displayedImage();
        std::printf("camera %s (%dx%d, %.1f fps shown), %d s:\n", camera, frame.width(),
                    frame.height(), pipeline->averageFps(), seconds);
        std::printf(
            "  captured by the camera thread %lld, dropped before display %lld (queue) "
            "+ %lld (stale)\n",
            pipeline->capturedFrames() - capturedBefore, pipeline->queueDrops() - queueDropsBefore,
            pipeline->staleDrops() - staleBefore);
        std::printf("  offered to the recorder %d, written %d, dropped %d\n", total + 1,
                    total - dropped + 1, dropped);
        std::printf("  file %.1f MB in %.2f s (start to file closed): %.1f MB/s\n", size / 1e6,
                    elapsed, size / 1e6 / elapsed);
        std::printf("  writer thread CPU %.3f s, %.2f ms per written frame\n", cpu,
                    1000.0 * cpu / std::max(1, total - dropped + 1));
        for (const QString& f : files)
            QFile::remove(folder + "/" + f);
        compareWithDd(folder, size);
        window.close();
    }
    for (auto id : ports)
        driver.detach(id);
}

void saveSequence(const QString& folder) {
    AviThread store;
    store.setMaxFrames(100);
    QImage frame(1280, 960, QImage::Format_RGB32);
    for (int k = 0; k < 100; ++k) {
        frame.fill(qRgb(k, 255 - k, 2 * k));
        store.storeFrame(frame.copy(), k * 40, 25.0);
    }
    QObject receiver;
    QList<int> finished;
    QObject::connect(&store, &AviThread::finished, &receiver,
                     [&finished](int total, int) { finished.append(total); });
    const QString path = folder + QStringLiteral("/sequence.avi");
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = store.writerCpuSeconds();
    store.saveAvi(path);
    spinUntil([&] { return !finished.isEmpty(); }, 600000);
    const double seconds = timer.elapsed() / 1000.0;
    const qint64 size = QFileInfo(path).size();
    std::printf(
        "Save Avi, 100 frames 1280x960: %d written in %.3f s (%.1f MB, %.1f MB/s, "
        "writer CPU %.2f ms per frame)\n",
        finished.isEmpty() ? -1 : finished.first(), seconds, size / 1e6, size / 1e6 / seconds,
        1000.0 * (store.writerCpuSeconds() - cpuBefore) / 100);
    QFile::remove(path);
    compareWithDd(folder, size);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("VIDSCOPE_VIRTUAL_UNPACED");  // cameras at their own pace
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2])
                         : QString::fromLocal8Bit(qgetenv("TMPDIR")).isEmpty()
                             ? QStringLiteral("/tmp")
                             : QString::fromLocal8Bit(qgetenv("TMPDIR"));
    QTemporaryDir out(base + QStringLiteral("/vidscope-bench-XXXXXX"));
    const QString folder = out.path();
    std::printf("writing into %s\n", qPrintable(folder));
    saveSequence(folder);
    recordFrom("3120", seconds, folder);
    recordFrom("3E00", seconds, folder);
    return 0;
}
