// SPDX-License-Identifier: MIT
// The top-level window: form, settings, view and scene, docks, and the controllers behind them.
#include "MainWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>

#include "AboutDialog.h"
#include "AppGlobals.h"
#include "AppSettings.h"
#include "AviThread.h"
#include "CameraController.h"
#include "DesktopActions.h"
#include "DiagnosticWindows.h"
#include "DockMessage.h"
#include "DockPreview.h"
#include "GuiLog.h"
#include "ImageView.h"
#include "InteractiveScene.h"
#include "LanguageController.h"
#include "LiveImageItem.h"
#include "MeasureController.h"
#include "PictureOpener.h"
#include "RecorderDlg.h"
#include "RecordingController.h"
#include "SettingDialog.h"
#include "SingleCapture.h"
#include "SnapshotController.h"
#include "TranslatableWindows.h"
#include "VideoPipeline.h"
#include "ui_MainWindow.h"
#include "vidscope/camera_api.h"

namespace {

constexpr const char* kStatisticsIdle =
    "fps: 0.00 dropped: 0 elasped: [00:00:00] avg: 00 exposure: 0000.000ms";
constexpr const char* kPixelIdle = "Pos(0000,0000)   Rgb(000,000,000)   Gray:000";
QLabel* statusField(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setIndent(3);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setMinimumSize(label->sizeHint());
    return label;
}

}  // namespace

// The icons live in a static library, whose resource object the linker would drop as
// unreferenced; registering them by hand keeps them in. (Must stay outside any namespace.)
static void initResources() {
    Q_INIT_RESOURCE(vidscope);
}

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MainWindow>()) {
    initResources();
    ui_->setupUi(this);
    ui_->menuSettings->setEnabled(false);
    setWindowIcon(QIcon(QStringLiteral(":/icon/app")));

    TranslatableWindows::instance().add(this, [this] { ui_->retranslateUi(this); });
    settings_ = std::make_unique<AppSettings>();
    scene_ = new InteractiveScene(this);
    ui_->gvMain->setScene(scene_);
    scene_->setZoomFactor(1.0);
    frameBacklog.store(settings_->backlog());

    // The processing threads start here; the capture thread waits for the first start.
    aviThread_ = std::make_unique<AviThread>();
    videoPipeline_ = std::make_unique<VideoPipeline>(*settings_, *scene_);

    buildStatusBar();
    buildToolBarBoxes();
    buildSettingDialog();
    buildDocks();
    connectActions();
    connectPipeline();
    diagnostics_ = new DiagnosticWindows(*this);
    connectMeasurement();

    buildPictureParts();
    language_ = std::make_unique<LanguageController>(*settings_);
    language_->start();
    applyFeatureSwitches();

    // Filling the camera box selects camera 0, which opens it and starts the video.
    cameraController_ = std::make_unique<CameraController>(
        *videoPipeline_, CameraWidgets{cameraBox_, resolutionBox_, ui_->action_Stop,
                                       ui_->actionSingle_Capture, ui_->actionOpen});
    connect(cameraController_.get(), &CameraController::toTable, this, &MainWindow::toTable);
    // Before the first camera opens: the IO control applies its stored settings to it.
    diagnostics_->connectCamera(*cameraController_);
    connectSettingDialogToCamera();
    connect(cameraController_.get(), &CameraController::cameraOpened, aboutDialog_,
            &AboutDialog::refresh);
    startTimedShots();
    buildRecording();
    if (cameraController_->enumerateDevice()) {
        cameraController_->streamVideo();
    }
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::playAction() const {
    return ui_->action_Play;
}
QAction* MainWindow::pauseAction() const {
    return ui_->action_Stop;
}
QAction* MainWindow::singleCaptureAction() const {
    return ui_->actionSingle_Capture;
}
QAction* MainWindow::openAction() const {
    return ui_->actionOpen;
}
ImageView* MainWindow::view() const {
    return ui_->gvMain;
}
double MainWindow::zoomFactor() const {
    return ui_->gvMain->zoomFactor();
}

void MainWindow::buildStatusBar() {
    lblUsb_ = new QLabel(this);
    lblUsb_->setAlignment(Qt::AlignCenter);
    lblStatistics_ = statusField(this, QString::fromLatin1(kStatisticsIdle));
    lblPixel_ = statusField(this, QString::fromLatin1(kPixelIdle));
    lblCapture_ = statusField(this, QString());
    statusBar()->addWidget(lblUsb_);
    statusBar()->addWidget(lblStatistics_, 1);
    statusBar()->addWidget(lblPixel_, 1);
    statusBar()->addWidget(lblCapture_, 1);
}

void MainWindow::buildToolBarBoxes() {
    cameraBox_ = new QComboBox(this);
    cameraBox_->setObjectName(QStringLiteral("cameraBox"));
    resolutionBox_ = new QComboBox(this);
    resolutionBox_->setObjectName(QStringLiteral("resolutionBox"));
    for (QComboBox* box : {cameraBox_, resolutionBox_}) {
        box->setMinimumSize(100, 20);
        ui_->toolBar->addWidget(box);
    }
}

void MainWindow::buildSettingDialog() {
    settingDialog_ = new SettingDialog(*settings_, this);
    settingDialog_->hide();
    SettingDialog* dialog = settingDialog_;
    connect(dialog, &SettingDialog::toTable, this, &MainWindow::toTable);
    connect(ui_->action_Setting, &QAction::triggered, dialog, &SettingDialog::openFromMainWindow);
    connect(ui_->actionDefault, &QAction::triggered, dialog, &SettingDialog::on_btnDefault_clicked);
    connect(ui_->actionSave_Param, &QAction::triggered, dialog,
            &SettingDialog::on_btnSaveParam_clicked);
    connect(ui_->actionSave_As, &QAction::triggered, dialog, &SettingDialog::on_btnSaveAs_clicked);
    connect(ui_->actionLoad_From, &QAction::triggered, dialog,
            &SettingDialog::on_btnLoadFrom_clicked);
    ui_->menuSettings->setEnabled(true);
    connect(this, &MainWindow::regionPicked, dialog, &SettingDialog::takeRegion);
    connect(dialog, &SettingDialog::drawRoiRequested, this, &MainWindow::setDrawROIState);
    connect(dialog, &SettingDialog::shotTimerRequested, this, &MainWindow::createShotTimer);
    connect(dialog, &SettingDialog::shotTimerStopped, this, &MainWindow::shutdownShotTimer);
}

void MainWindow::connectSettingDialogToCamera() {
    CameraController* controller = cameraController_.get();
    SettingDialog* dialog = settingDialog_;
    connect(controller, &CameraController::cameraChanged, dialog, &SettingDialog::cameraChanged);
    connect(controller, &CameraController::roiTakenOver, dialog, &SettingDialog::showRegion);
    connect(controller, &CameraController::roiPageRequested, dialog, &SettingDialog::showRoiPage);
    connect(dialog, &SettingDialog::returnMaxReso, controller, &CameraController::returnMaxReso);
    connect(dialog, &SettingDialog::roiResolutionSelected, this,
            [this] { resolutionBox_->setCurrentIndex(resolutionBox_->count() - 1); });
}

void MainWindow::buildDocks() {
    dockMessage_ = new DockMessage(this);
    dockMessage_->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, dockMessage_);
    dockMessage_->hide();
    TranslatableWindows::instance().add(dockMessage_, [this] { dockMessage_->retranslate(); });
}

void MainWindow::connectActions() {
    connect(this, &MainWindow::toTable, dockMessage_, &DockMessage::logMessage);
    connect(dockMessage_, &DockMessage::CloseDockMessage, this, &MainWindow::closeInterface);

    connect(ui_->action_Play, &QAction::triggered, this, &MainWindow::streamVideo);
    connect(ui_->action_Stop, &QAction::triggered, this, &MainWindow::pauseVideo);
    connect(ui_->actionExit, &QAction::triggered, this, &MainWindow::close);
    connect(ui_->actionZoom_In, &QAction::triggered, this, &MainWindow::zoomIn);
    connect(ui_->actionZoom_Out, &QAction::triggered, this, &MainWindow::zoomOut);
    connect(ui_->actionReset, &QAction::triggered, this, &MainWindow::resetView);
    connect(ui_->actionEnglish_Chinese, &QAction::triggered, this, &MainWindow::switchLanguage);
}

void MainWindow::connectMeasurement() {
    measure_ = new MeasureController(this, scene_, settings_->qsettings());
    const std::pair<QAction*, int> tools[] = {
        {ui_->actionLine, InteractiveScene::kLine},
        {ui_->actionCircle, InteractiveScene::kCircle},
        {ui_->actionRectangle, InteractiveScene::kRectangle},
        {ui_->actionArc, InteractiveScene::kArc},
        {ui_->actionAxesY_Y, InteractiveScene::kAxisY},
        {ui_->actionAxesX_X, InteractiveScene::kAxisX},
        {ui_->actionSelect, InteractiveScene::kSelect},
        {ui_->actionCoordinates, InteractiveScene::kCoordinates},
        {ui_->actionPolygon, InteractiveScene::kPolygon}};
    for (const auto& [action, mode] : tools)
        measure_->addTool(action, mode);

    // Moves reach the scene without a button held: rubber bands and the coordinate cross.
    ui_->gvMain->setMouseTracking(true);
    connect(ui_->gvMain, &ImageView::zoomChanged, scene_, &InteractiveScene::setZoomFactor);
    connect(scene_, &InteractiveScene::zoomInRequested, ui_->gvMain, &ImageView::zoomInUnderMouse);
    connect(scene_, &InteractiveScene::zoomOutRequested, ui_->gvMain,
            &ImageView::zoomOutUnderMouse);
    connect(scene_, &InteractiveScene::regionPicked, this, [this](int x, int y, int w, int h) {
        emit regionPicked(x, y, w, h);
        setDrawROIState(false);
    });
    connect(videoPipeline_.get(), &VideoPipeline::firstImageShown, measure_,
            &MeasureController::loadMarks);
}

void MainWindow::connectPipeline() {
    VideoPipeline* pipeline = videoPipeline_.get();
    connect(pipeline, &VideoPipeline::toTable, this, &MainWindow::toTable);
    connect(pipeline, &VideoPipeline::usbTextChanged, lblUsb_, &QLabel::setText);
    connect(pipeline, &VideoPipeline::statisticsTextChanged, lblStatistics_, &QLabel::setText);
    connect(pipeline, &VideoPipeline::pixelTextChanged, lblPixel_, &QLabel::setText);
    connect(scene_, &InteractiveScene::pixelPressed, pipeline,
            [pipeline](QPointF pos) { pipeline->readPixel(pos.x(), pos.y()); });
}

void MainWindow::buildPictureParts() {
    dockPreview_ = new DockPreview(this);
    dockPreview_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, dockPreview_);
    dockPreview_->hide();
    TranslatableWindows::instance().add(dockPreview_, [this] { dockPreview_->retranslate(); });
    connect(dockPreview_, &DockPreview::CloseDockPreview, this, &MainWindow::closeInterface);
    connect(dockPreview_, &DockPreview::fileMissing, dockMessage_, [this](const QString& text) {
        dockMessage_->logText(text, QStringLiteral("DockPreview"));
    });

    aboutDialog_ = new AboutDialog(*settings_, this);
    aboutDialog_->hide();
    TranslatableWindows::instance().add(aboutDialog_, [this] { aboutDialog_->retranslate(); });
    connect(aboutDialog_, &AboutDialog::toTable, this, &MainWindow::toTable);

    snapshots_ = std::make_unique<SnapshotController>(
        *settings_, *videoPipeline_, *scene_, [this] { return scene_->markCount(); }, *dockPreview_,
        this);
    connect(snapshots_.get(), &SnapshotController::logNote, dockMessage_, &DockMessage::logText);
    connect(videoPipeline_.get(), &VideoPipeline::triggerFrameShown, snapshots_.get(),
            &SnapshotController::saveSnapshot);
    connect(ui_->action_Save, &QAction::triggered, this, qOverload<>(&MainWindow::saveImage));
    connect(ui_->actionAbout, &QAction::triggered, this, &MainWindow::aboutMe);
    connect(ui_->actionHelp_vidScope, &QAction::triggered, this, &MainWindow::vidScopeHelp);

    singleCapture_ = std::make_unique<SingleCapture>(*videoPipeline_);
    connect(singleCapture_.get(), &SingleCapture::toTable, this, &MainWindow::toTable);
}

// Timed shots configured in an earlier session start with the program; they run while the
// video runs.
void MainWindow::startTimedShots() {
    ShotScheduler& scheduler = snapshots_->scheduler();
    connect(cameraController_.get(), &CameraController::videoStarted, &scheduler,
            &ShotScheduler::videoStarted);
    connect(cameraController_.get(), &CameraController::videoPaused, &scheduler,
            &ShotScheduler::videoPaused);
    // The dialog has read and range-checked the stored timed-shot keys.
    const SettingDialog* dialog = settingDialog_;
    if (dialog->intervalShot())
        createShotTimer(dialog->intervalTime(), dialog->intervalUnit(), dialog->intervalScale());
}

void MainWindow::buildRecording() {
    recordingController_ = std::make_unique<RecordingController>(
        *aviThread_, *videoPipeline_, *settings_,
        RecordingWidgets{this, ui_->actionStart_Capture, ui_->actionExit_Capture, ui_->action_Stop,
                         lblCapture_});
    RecordingController* recording = recordingController_.get();
    recording->setVideoControl([this] { pauseVideo(); }, [this] { streamVideo(); });
    recording->setCaptureAllowed(settings_->aviCaptureEnabled());
    connect(ui_->actionStart_Capture, &QAction::triggered, recording,
            &RecordingController::startCapture);
    connect(ui_->actionExit_Capture, &QAction::triggered, recording,
            &RecordingController::stopCapture);
    connect(recording, &RecordingController::note, dockMessage_, [this](const QString& text) {
        dockMessage_->logText(text, QStringLiteral("AviThread"));
    });
    connect(cameraController_.get(), &CameraController::cameraChanged, recording,
            &RecordingController::cameraChanged);
    // Played-back frames of the store are shown like live ones, on this thread at once.
    connect(aviThread_.get(), &AviThread::captured, videoPipeline_.get(), &VideoPipeline::process);

    recorderDlg_ = new RecorderDlg(*aviThread_, *recording, this);
    recorderDlg_->hide();
    connect(ui_->actionRecord_Sequence, &QAction::triggered, recorderDlg_, [this] {
        recorderDlg_->show();
        recorderDlg_->raise();
    });
}

void MainWindow::applyFeatureSwitches() {
    const bool measurement = settings_->measurementEnabled();
    ui_->toolBar_2->setVisible(measurement);
    ui_->menu_Mesure->setEnabled(measurement);

    const bool avi = settings_->aviCaptureEnabled();
    ui_->actionStart_Capture->setEnabled(avi);
    ui_->actionExit_Capture->setEnabled(false);

    ui_->actionErase_U3_Firmware->setEnabled(settings_->managementEnabled());
}

void MainWindow::pauseVideo() {
    cameraController_->pauseVideo();
}

void MainWindow::streamVideo() {
    cameraController_->streamVideo();
}

void MainWindow::setDrawROIState(bool draw) {
    drawRoiState_ = draw;
    scene_->setDrawRoiState(draw);
    if (draw) {
        measure_->clearMeasurements();
        measure_->selectMode(InteractiveScene::kRectangle);
    } else {
        measure_->selectMode(InteractiveScene::kNone);
    }
}

void MainWindow::createShotTimer(int time, int unit, double scale) {
    snapshots_->scheduler().create(time, unit, scale);
}

void MainWindow::shutdownShotTimer() {
    snapshots_->scheduler().shutdown();
}

void MainWindow::onTimeSave() {
    snapshots_->scheduler().tick();
}

void MainWindow::saveImage() {
    ui_->actionPreview->setChecked(true);
    dockPreview_->setVisible(true);
    snapshots_->saveDisplayed();
}

void MainWindow::saveImage(QImage& image) {
    snapshots_->saveSnapshot(image);
}

void MainWindow::saveImageDay(QImage& image) {
    snapshots_->saveTimedShot(image);
}

void MainWindow::on_actionSingle_Capture_triggered() {
    singleCapture_->capture();
}

void MainWindow::on_actionOpen_triggered() {
    const QImage picture = PictureOpener::open(this);
    if (!picture.isNull())
        videoPipeline_->process(picture, nullptr, QDateTime::currentMSecsSinceEpoch(), 0);
}

void MainWindow::aboutMe() {
    aboutDialog_->show();
    aboutDialog_->refresh();
}

// The manual is built beside the program; a missing one is noted in the log.
void MainWindow::vidScopeHelp() {
    const QString manual =
        QCoreApplication::applicationDirPath() + QStringLiteral("/doc/vidScope.pdf");
    if (!QFileInfo::exists(manual)) {
        dockMessage_->logText(tr("The manual %1 is missing.").arg(manual),
                              QStringLiteral("vidScopeHelp"));
        return;
    }
    DesktopActions::instance().openFile(manual);
}

void MainWindow::zoomIn() {
    ui_->gvMain->zoomIn();
}

void MainWindow::zoomOut() {
    ui_->gvMain->zoomOut();
}

void MainWindow::resetView() {
    ui_->gvMain->resetView();
}

void MainWindow::on_actionFit_Screen_triggered() {
    if (const QGraphicsItem* image = videoPipeline_->liveItem()) {
        ui_->gvMain->fitScreen(image->boundingRect().size());
    }
}

void MainWindow::switchLanguage() {
    language_->toggle();
}

int MainWindow::languageState() const {
    return language_->state();
}

void MainWindow::on_actionMeasure_On_Off_triggered() {
    measure_->clearMeasurements();
}
void MainWindow::on_actionCalibration_B_triggered() {
    measure_->showCalibration();
}
void MainWindow::on_actionProperty_triggered() {
    measure_->showProperty();
}
void MainWindow::on_actionDetails_triggered() {
    measure_->showDetails();
}
void MainWindow::on_actionLoad_triggered() {
    measure_->loadMarks();
}
void MainWindow::on_actionSave_triggered() {
    measure_->saveMarks();
}
void MainWindow::on_actionLine_triggered() {
    measure_->toolTriggered(ui_->actionLine);
}
void MainWindow::on_actionArc_triggered() {
    measure_->toolTriggered(ui_->actionArc);
}
void MainWindow::on_actionRectangle_triggered() {
    measure_->toolTriggered(ui_->actionRectangle);
}
void MainWindow::on_actionCircle_triggered() {
    measure_->toolTriggered(ui_->actionCircle);
}
void MainWindow::on_actionAxesX_X_triggered() {
    measure_->toolTriggered(ui_->actionAxesX_X);
}
void MainWindow::on_actionAxesY_Y_triggered() {
    measure_->toolTriggered(ui_->actionAxesY_Y);
}
void MainWindow::on_actionSelect_triggered() {
    measure_->toolTriggered(ui_->actionSelect);
}
void MainWindow::on_actionCoordinates_triggered() {
    measure_->toolTriggered(ui_->actionCoordinates);
}
void MainWindow::on_actionPolygon_triggered() {
    measure_->toolTriggered(ui_->actionPolygon);
}

void MainWindow::logFailure(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

void MainWindow::on_actionReconnect_triggered() {
    if (!CameraReconnect(currentCamera.load())) {
        logFailure("CameraReconnect");
    }
}

void MainWindow::on_actionErase_U3_Firmware_triggered() {
    if (!CameraEraseFirmware(currentCamera.load())) {
        logFailure("CameraEraseirmware");
    }
}

void MainWindow::on_actionReset_Camera_triggered() {
    if (!CameraReset(currentCamera.load())) {
        logFailure("CameraReset");
    }
}

void MainWindow::on_actionMessage_triggered(bool checked) {
    dockMessage_->setVisible(checked);
}

void MainWindow::on_actionPreview_triggered(bool checked) {
    dockPreview_->setVisible(checked);
}

void MainWindow::closeInterface(int object) {
    if (object == 1) {
        ui_->actionPreview->setChecked(false);
    } else if (object == 2) {
        ui_->actionMessage->setChecked(false);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    cameraController_->shutdown();
    QMainWindow::closeEvent(event);
}
