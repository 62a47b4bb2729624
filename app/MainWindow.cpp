// SPDX-License-Identifier: MIT
// The top-level window: form, settings, view and scene, docks, and the controllers behind them.
#include "MainWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGraphicsItem>
#include <QLabel>
#include <QStatusBar>
#include <QTranslator>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "CameraController.h"
#include "DockMessage.h"
#include "GuiLog.h"
#include "ImageView.h"
#include "InteractiveScene.h"
#include "LiveImageItem.h"
#include "MeasureController.h"
#include "TranslatableWindows.h"
#include "VideoPipeline.h"
#include "ui_MainWindow.h"
#include "vidscope/camera_api.h"

namespace {

constexpr const char* kStatisticsIdle =
    "fps: 0.00 dropped: 0 elasped: [00:00:00] avg: 00 exposure: 0000.000ms";
constexpr const char* kPixelIdle = "Pos(0000,0000)   Rgb(000,000,000)   Gray:000";
constexpr const char* kChineseTranslation = "lang/vidScope_zh_CN";
constexpr const char* kEnglishTranslation = "lang/vidScope_zh_EN";

// Translations are looked up relative to the working directory first, as the settings file
// is; a build or installation also keeps them beside the program, which is where a run from
// any other folder finds them.
bool loadTranslationFile(QTranslator& translator, const char* baseName) {
    const QString name = QString::fromLatin1(baseName);
    return translator.load(name) ||
           translator.load(QDir(QCoreApplication::applicationDirPath()).filePath(name));
}

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
    videoPipeline_ = std::make_unique<VideoPipeline>(*settings_, *scene_);

    buildStatusBar();
    buildToolBarBoxes();
    buildDocks();
    connectActions();
    connectPipeline();
    connectMeasurement();

    languageState_ = settings_->language() == 0 ? 2 : 1;
    loadTranslation(settings_->language());
    applyFeatureSwitches();

    // Filling the camera box selects camera 0, which opens it and starts the video.
    cameraController_ = std::make_unique<CameraController>(
        *videoPipeline_, CameraWidgets{cameraBox_, resolutionBox_, ui_->action_Stop,
                                       ui_->actionSingle_Capture, ui_->actionOpen});
    connect(cameraController_.get(), &CameraController::toTable, this, &MainWindow::toTable);
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

void MainWindow::buildDocks() {
    dockMessage_ = new DockMessage(this);
    dockMessage_->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, dockMessage_);
    dockMessage_->hide();
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

void MainWindow::loadTranslation(int lang) {
    // The translator only serves the retranslation below: texts set later by code (status
    // line, log rows, message boxes) stay in English.
    QTranslator translator;
    loadTranslationFile(translator, lang == 0 ? kChineseTranslation : kEnglishTranslation);
    QCoreApplication::installTranslator(&translator);
    TranslatableWindows::instance().retranslateAll();
    QCoreApplication::removeTranslator(&translator);
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

// Placeholder until the timed-shot scheduler lands: the settings dialog can already call these.
void MainWindow::createShotTimer(int /*time*/, int /*unit*/, double /*scale*/) {}
void MainWindow::shutdownShotTimer() {}

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
    settings_->sync();
    QTranslator translator;
    if (languageState_ != 1) {
        languageState_ = 1;
        settings_->setLanguage(1);
    } else {
        loadTranslationFile(translator, kChineseTranslation);
        languageState_ = 2;
        settings_->setLanguage(0);
    }
    QCoreApplication::installTranslator(&translator);
    TranslatableWindows::instance().retranslateAll();
    QCoreApplication::removeTranslator(&translator);
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
