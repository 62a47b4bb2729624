// SPDX-License-Identifier: MIT
// Measures the displayed frame rate of the 4384 x 3288 camera while the gamma slider is dragged.
//
// Builds the real main window (offscreen) on a paced virtual 0x3E00, then runs three phases
// of equal length, alternating: live view alone, and the settings dialog's gamma slider swept
// end to end and back at one step per 5 ms (a mouse drag delivers fewer). Reports
// the displayed frames per second of each phase and the time each slider step took on the GUI
// thread (the setter call the step makes, with its table rebuild).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "MainWindow.h"
#include "SettingDialog.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

namespace {

constexpr int kPhaseMs = 8000;
constexpr int kStepMs = 5;
constexpr int kRounds = 2;

void spin(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

// Frames displayed per second over one phase; `during` runs on the GUI thread meanwhile.
double measure(VideoPipeline& pipeline, const std::function<void()>& during) {
    const long long before = pipeline.displayedFrames();
    QElapsedTimer timer;
    timer.start();
    during();
    return double(pipeline.displayedFrames() - before) * 1000.0 / double(timer.elapsed());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    qputenv("VIDSCOPE_VIRTUAL_DIR", work.path().toLocal8Bit());
    const auto ports = vidscope::host::Driver::instance().attachVirtualCameras("3E00");
    if (ports.size() != 1) {
        std::fprintf(stderr, "could not attach the virtual 3E00\n");
        return 1;
    }
    int status = 0;
    {
        MainWindow window;
        window.show();
        VideoPipeline& pipeline = *window.videoPipeline();
        QSlider* gamma = window.settingDialog()->findChild<QSlider*>("hsGamma");
        window.settingDialog()->openFromMainWindow();
        spin(6000);  // the first frames and the automatic exposure settle

        std::vector<double> stepMs;
        const auto drag = [&] {
            QElapsedTimer phase;
            phase.start();
            int direction = 1;
            while (phase.elapsed() < kPhaseMs) {
                int next = gamma->value() + direction;
                if (next > gamma->maximum() || next < gamma->minimum()) {
                    direction = -direction;
                    next = gamma->value() + direction;
                }
                QElapsedTimer step;
                step.start();
                gamma->setValue(next);
                stepMs.push_back(double(step.nsecsElapsed()) / 1e6);
                spin(kStepMs);
            }
        };
        const auto idle = [] { spin(kPhaseMs); };
        // Alternating phases, so that a change of load on the machine shows as such.
        std::vector<double> idleFps;
        std::vector<double> dragFps;
        for (int round = 0; round < kRounds; ++round) {
            idleFps.push_back(measure(pipeline, idle));
            dragFps.push_back(measure(pipeline, drag));
        }
        idleFps.push_back(measure(pipeline, idle));

        std::sort(stepMs.begin(), stepMs.end());
        double sum = 0;
        for (double ms : stepMs)
            sum += ms;
        const auto at = [&](double q) {
            return stepMs[std::size_t(q * double(stepMs.size() - 1))];
        };
        for (int round = 0; round < kRounds; ++round)
            std::printf("round %d: displayed fps idle %.2f, dragging gamma %.2f\n", round + 1,
                        idleFps[std::size_t(round)], dragFps[std::size_t(round)]);
        std::printf("final idle: displayed fps %.2f\n", idleFps.back());
        std::printf(
            "gamma steps: %zu, per step mean %.3f ms, median %.3f ms, p99 %.3f ms, "
            "max %.3f ms\n",
            stepMs.size(), sum / double(stepMs.size()), at(0.5), at(0.99), stepMs.back());
        status = idleFps.front() > 0 ? 0 : 1;
        window.close();
    }
    for (auto id : ports)
        vidscope::host::Driver::instance().detach(id);
    return status;
}
