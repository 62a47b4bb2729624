// SPDX-License-Identifier: MIT
// Tests of the main window's shell: form layout, feature switches, tools, log and maintenance.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGraphicsRectItem>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QWidgetAction>
#include <memory>

#include "AppGlobals.h"
#include "DockMessage.h"
#include "ImageView.h"
#include "InteractiveScene.h"
#include "MainWindow.h"
#include "ShellTestSupport.h"

namespace {

// Entries of a menu or tool bar: action object names, "|" for a separator, and the object
// name of an embedded widget.
QStringList entries(const QWidget& container) {
    QStringList names;
    for (QAction* action : container.actions()) {
        if (action->isSeparator()) {
            names << "|";
        } else if (auto* widgetAction = qobject_cast<QWidgetAction*>(action)) {
            names << widgetAction->defaultWidget()->objectName();
        } else if (action->menu() != nullptr) {
            names << action->menu()->objectName();
        } else {
            names << action->objectName();
        }
    }
    return names;
}

class MainWindowTest : public ::testing::Test {
protected:
    // English texts unless a test asks otherwise.
    void open(std::vector<std::pair<QString, QVariant>> settings = {}) {
        settings.insert(settings.begin(), {"Language/Lang", 1});
        dir_.writeSettings(settings);
        window_ = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        if (window_) {
            window_->close();
        }
    }

    template <typename T>
    T* child(const char* name) const {
        T* found = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    QStringList logTexts() const { return logColumn(*window_->dockMessage()->table(), 1); }
    QStringList logFunctions() const { return logColumn(*window_->dockMessage()->table(), 2); }

    ScopedWorkDir dir_;
    std::unique_ptr<MainWindow> window_;
};

struct ExpectedAction {
    const char* name;
    const char* text;
    const char* icon;
    bool checkable;
};

// Every action of the window, in the order the form creates them.
const ExpectedAction kActions[] = {
    {"action_Play", "&Play", ":/icon/play", false},
    {"action_Stop", "Pa&use", ":/icon/pause", false},
    {"action_Save", "&Save", ":/icon/save", false},
    {"actionExit", "Exit", nullptr, false},
    {"actionZoom_In", "Zoom In", ":/icon/zoomin", false},
    {"actionZoom_Out", "Zoom Out", ":/icon/zoomout", false},
    {"actionReset", "Reset", ":/icon/view-refresh", false},
    {"action_Setting", "&Setting", ":/icon/setting", false},
    {"actionEnglish_Chinese", "English<->Chinese", nullptr, false},
    {"actionAbout", "About", nullptr, false},
    {"actionHistogram", "Histogram", nullptr, false},
    {"actionR_W_Register", "R/W Register", nullptr, false},
    {"actionHelp_vidScope", "Help vidScope", nullptr, false},
    {"actionIO_Control", "IO Control", ":/icon/port", false},
    {"actionFit_Screen", "Fit Screen", ":/icon/fitscreen", false},
    {"actionMeasure_On_Off", "Measure On/Off(&M)", ":/icon/res/brush.png", false},
    {"actionCalibration_B", "Calibration(&B)", ":/image/res/calibration.PNG", false},
    {"actionAxesX_X", "AxesX(&X)", ":/image/res/horizontal.PNG", true},
    {"actionAxesY_Y", "AxesY(&Y)", ":/image/res/vertical.PNG", true},
    {"actionLine", "Line(&L)", ":/icon/res/line.png", true},
    {"actionArc", "Arc(&A)", ":/icon/res/arc.png", true},
    {"actionRectangle", "Rectangle(&R)", ":/icon/res/rectangle.png", true},
    {"actionCircle", "Circle(&C)", ":/icon/res/circle.png", true},
    {"actionStart_Capture", "Start Capture Video", nullptr, false},
    {"actionExit_Capture", "Stop Capture", nullptr, false},
    {"actionSelect", "Select(&S)", ":/icon/res/arrow.png", true},
    {"actionProperty", "Property", ":/icon/res/property.png", false},
    {"actionLoad", "Load", ":/icon/res/markload.png", false},
    {"actionSave", "Save", ":/icon/res/marksave.png", false},
    {"actionSingle_Capture", "Single Capture", ":/icon/res/playstop.png", false},
    {"actionReconnect", "Reconnect", nullptr, false},
    {"actionErase_U3_Firmware", "Erase Firmware", nullptr, false},
    {"actionDetails", "details", ":/icon/res/details.png", false},
    {"actionCoordinates", "coordinates", ":/icon/res/cross.png", true},
    {"actionReset_Camera", "Reset Camera", nullptr, false},
    {"actionPolygon", "Polygon", ":/icon/res/polygon.png", true},
    {"actionPreview", "Preview", nullptr, true},
    {"actionMessage", "Message", nullptr, true},
    {"actionOpen", "Open", ":/icon/res/folder-open-icon.png", false},
    {"actionRecord_Sequence", "Record Sequence", nullptr, false},
    {"actionDefault", "Default", nullptr, false},
    {"actionSave_Param", "Save", nullptr, false},
    {"actionSave_As", "Save As", nullptr, false},
    {"actionLoad_From", "Load From", nullptr, false},
};

TEST_F(MainWindowTest, FormCreatesEveryActionInOrderWithItsTextAndIcon) {
    open();
    QStringList created;
    for (QAction* a : window_->findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        if (a->objectName().startsWith("action")) {
            created << a->objectName();
        }
    }
    QStringList expected;
    for (const ExpectedAction& want : kActions) {
        expected << want.name;
        QAction* a = action(want.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), want.text) << want.name;
        EXPECT_EQ(a->isCheckable(), want.checkable) << want.name;
        EXPECT_TRUE(a->shortcut().isEmpty()) << want.name;
        // A missing resource gives a null icon: this catches names that do not resolve.
        EXPECT_EQ(a->icon().isNull(), want.icon == nullptr) << want.name;
        if (want.icon != nullptr) {
            EXPECT_FALSE(QIcon(want.icon).pixmap(16, 16).isNull()) << want.icon;
        }
    }
    EXPECT_EQ(created, expected);
    EXPECT_EQ(action("actionOpen")->toolTip(), "Open Image");
    EXPECT_FALSE(action("actionSingle_Capture")->isEnabled());
    EXPECT_FALSE(action("actionMessage")->isChecked());
}

TEST_F(MainWindowTest, MenusAndToolBarsListTheirEntriesInOrder) {
    open();
    EXPECT_EQ(entries(*window_->menuBar()),
              (QStringList{"menu_File", "menu_Tools", "menu_View", "menu_Image", "menu_Mesure",
                           "menu_Capture", "menu_Language", "menu_Help", "menuSettings"}));
    const std::pair<const char*, QStringList> menus[] = {
        {"menu_File",
         {"action_Play", "action_Stop", "action_Save", "actionOpen", "|", "actionReset_Camera",
          "actionReconnect", "actionExit"}},
        {"menu_Tools",
         {"action_Setting", "actionIO_Control", "actionPreview", "actionMessage", "|",
          "actionR_W_Register", "actionErase_U3_Firmware"}},
        {"menu_View", {"actionZoom_In", "actionZoom_Out", "actionReset", "actionFit_Screen"}},
        {"menu_Image", {"actionHistogram"}},
        {"menu_Capture",
         {"actionSingle_Capture", "|", "actionStart_Capture", "actionExit_Capture", "|",
          "actionRecord_Sequence"}},
        {"menu_Language", {"actionEnglish_Chinese"}},
        {"menu_Help", {"actionAbout", "actionHelp_vidScope"}},
        {"menuSettings", {"actionDefault", "actionSave_Param", "actionSave_As", "actionLoad_From"}},
    };
    for (const auto& [name, expected] : menus) {
        EXPECT_EQ(entries(*child<QMenu>(name)), expected) << name;
    }
    const QStringList measure{"actionSelect",         "actionProperty", "actionCalibration_B",
                              "actionMeasure_On_Off", "actionAxesX_X",  "actionAxesY_Y",
                              "actionCoordinates",    "actionLine",     "actionArc",
                              "actionRectangle",      "actionCircle",   "actionPolygon",
                              "actionDetails",        "actionLoad",     "actionSave"};
    EXPECT_EQ(entries(*child<QMenu>("menu_Mesure")), measure);
    EXPECT_EQ(entries(*child<QToolBar>("toolBar_2")), measure);
    EXPECT_EQ(entries(*child<QToolBar>("toolBar")),
              (QStringList{"action_Play", "action_Stop", "action_Save", "actionOpen",
                           "actionSingle_Capture", "|", "actionZoom_In", "actionZoom_Out",
                           "actionFit_Screen", "actionReset", "|", "actionIO_Control",
                           "action_Setting", "cameraBox", "resolutionBox"}));
    EXPECT_EQ(window_->toolBarArea(child<QToolBar>("toolBar")), Qt::TopToolBarArea);
    EXPECT_EQ(window_->toolBarArea(child<QToolBar>("toolBar_2")), Qt::LeftToolBarArea);
    // Disabled by the form, enabled as soon as the settings dialog it acts on exists.
    EXPECT_TRUE(child<QMenu>("menuSettings")->isEnabled());
    EXPECT_FALSE(child<QMenu>("menuSettings")->isTearOffEnabled());
}

TEST_F(MainWindowTest, WindowViewAndStatusBarStartAsDescribed) {
    open();
    EXPECT_EQ(window_->windowTitle(), "vidScope");
    EXPECT_EQ(window_->size(), QSize(939, 593));
    EXPECT_FALSE(window_->windowIcon().isNull());
    ImageView* view = window_->view();
    EXPECT_EQ(view->objectName(), "gvMain");
    EXPECT_EQ(view->minimumSize(), QSize(660, 500));
    EXPECT_EQ(view->backgroundBrush().color(), QColor(127, 127, 127));
    EXPECT_EQ(view->scene(), window_->scene());

    EXPECT_EQ(window_->usbLabel()->text(), "");
    EXPECT_EQ(window_->statisticsLabel()->text(),
              "fps: 0.00 dropped: 0 elasped: [00:00:00] avg: 00 exposure: 0000.000ms");
    EXPECT_EQ(window_->pixelLabel()->text(), "Pos(0000,0000)   Rgb(000,000,000)   Gray:000");
    EXPECT_EQ(window_->captureLabel()->text(), "");
    EXPECT_EQ(window_->statisticsLabel()->indent(), 3);
    // The fields sit left to right in the status bar.
    window_->show();
    EXPECT_LT(window_->usbLabel()->x(), window_->statisticsLabel()->x());
    EXPECT_LT(window_->statisticsLabel()->x(), window_->pixelLabel()->x());
    EXPECT_LT(window_->pixelLabel()->x(), window_->captureLabel()->x());
    EXPECT_GE(window_->cameraBox()->minimumWidth(), 100);

    DockMessage* dock = window_->dockMessage();
    EXPECT_TRUE(dock->isHidden());
    EXPECT_EQ(window_->dockWidgetArea(dock), Qt::BottomDockWidgetArea);
}

TEST_F(MainWindowTest, FeatureSwitchesFollowTheSettingsFile) {
    open({{"Feature/Measurement", 0}, {"Feature/AviCapture", 0}, {"Feature/Management", 1}});
    EXPECT_TRUE(child<QToolBar>("toolBar_2")->isHidden());
    EXPECT_FALSE(child<QMenu>("menu_Mesure")->isEnabled());
    EXPECT_FALSE(action("actionStart_Capture")->isEnabled());
    EXPECT_FALSE(action("actionExit_Capture")->isEnabled());
    EXPECT_TRUE(action("actionErase_U3_Firmware")->isEnabled());
}

TEST_F(MainWindowTest, DefaultFeaturesShowMeasurementAndAllowCapture) {
    open();
    EXPECT_FALSE(child<QToolBar>("toolBar_2")->isHidden());
    EXPECT_TRUE(child<QMenu>("menu_Mesure")->isEnabled());
    EXPECT_TRUE(action("actionStart_Capture")->isEnabled());
    EXPECT_FALSE(action("actionExit_Capture")->isEnabled());
    EXPECT_FALSE(action("actionErase_U3_Firmware")->isEnabled());
}

TEST_F(MainWindowTest, ToolActionsSwitchTheSceneMode) {
    open();
    InteractiveScene* scene = window_->scene();
    const std::pair<const char*, int> tools[] = {
        {"actionLine", 1},   {"actionCircle", 2},      {"actionRectangle", 3},
        {"actionArc", 4},    {"actionAxesY_Y", 5},     {"actionAxesX_X", 6},
        {"actionSelect", 7}, {"actionCoordinates", 8}, {"actionPolygon", 9}};
    for (const auto& [name, mode] : tools) {
        action(name)->trigger();
        EXPECT_EQ(scene->toolMode(), mode) << name;
        for (const auto& [other, unused] : tools) {
            EXPECT_EQ(action(other)->isChecked(), other == name) << name << " / " << other;
        }
    }
    action("actionPolygon")->trigger();
    EXPECT_EQ(scene->toolMode(), 0);

    action("actionLine")->trigger();
    action("actionMeasure_On_Off")->trigger();
    EXPECT_EQ(scene->toolMode(), 0);
    EXPECT_FALSE(action("actionLine")->isChecked());
    EXPECT_FALSE(action("actionMeasure_On_Off")->isChecked());

    window_->setDrawROIState(true);
    EXPECT_TRUE(window_->drawRoiState());
    EXPECT_EQ(scene->toolMode(), 3);
    EXPECT_FALSE(action("actionRectangle")->isChecked());
    window_->setDrawROIState(false);
    EXPECT_EQ(scene->toolMode(), 0);
}

TEST_F(MainWindowTest, ZoomActionsKeepTheSceneInStep) {
    open();
    action("actionZoom_In")->trigger();
    action("actionZoom_In")->trigger();
    EXPECT_DOUBLE_EQ(window_->scene()->zoomFactor(), 1.44);
    action("actionZoom_Out")->trigger();
    EXPECT_DOUBLE_EQ(window_->scene()->zoomFactor(), window_->zoomFactor());
    // No picture yet: fitting has nothing to fit.
    action("actionFit_Screen")->trigger();
    EXPECT_NEAR(window_->zoomFactor(), 1.2, 1e-12);
    action("actionReset")->trigger();
    EXPECT_EQ(window_->scene()->zoomFactor(), 1.0);
}

TEST_F(MainWindowTest, MaintenanceFailuresAndMissingCameraAreLogged) {
    open({{"Feature/Management", 1}});
    ASSERT_EQ(window_->cameraBox()->count(), 0);  // no camera attached in this test
    currentCamera.store(0);
    action("actionReset_Camera")->trigger();
    action("actionReconnect")->trigger();
    action("actionErase_U3_Firmware")->trigger();
    action("action_Play")->trigger();
    EXPECT_EQ(logTexts(), (QStringList{"Did not find the camera",
                                       "API error (code: CAMERA_ERROR_NOT_INITIALIZED)",
                                       "API error (code: CAMERA_ERROR_NOT_INITIALIZED)",
                                       "API error (code: CAMERA_ERROR_NOT_INITIALIZED)"}));
    EXPECT_EQ(logFunctions(),
              (QStringList{"", "CameraEraseirmware", "CameraReconnect", "CameraReset"}));
}

TEST_F(MainWindowTest, MessageActionShowsTheDockAndClosingItUnchecksTheAction) {
    open();
    window_->show();
    QAction* message = action("actionMessage");
    message->trigger();
    EXPECT_TRUE(message->isChecked());
    EXPECT_TRUE(window_->dockMessage()->isVisible());
    window_->dockMessage()->close();
    EXPECT_FALSE(message->isChecked());
    EXPECT_FALSE(window_->dockMessage()->isVisible());
}

TEST_F(MainWindowTest, LanguageSwitchTwiceReturnsToTheStartingLanguage) {
    open();
    EXPECT_EQ(window_->languageState(), 1);
    action("actionEnglish_Chinese")->trigger();
    EXPECT_EQ(window_->languageState(), 2);
    EXPECT_EQ(QSettings("setting.ini", QSettings::IniFormat).value("Language/Lang").toInt(), 0);
    action("actionEnglish_Chinese")->trigger();
    EXPECT_EQ(window_->languageState(), 1);
    EXPECT_EQ(QSettings("setting.ini", QSettings::IniFormat).value("Language/Lang").toInt(), 1);
    EXPECT_EQ(action("action_Play")->text(), "&Play");
}

TEST_F(MainWindowTest, ChineseTranslationFromTheWorkingDirectoryAndBackToEnglish) {
    QDir(dir_.path()).mkpath("lang");
    ASSERT_TRUE(QFile::copy(VIDSCOPE_LANG_DIR "/vidScope_zh_CN.qm",
                            QDir(dir_.path()).filePath("lang/vidScope_zh_CN.qm")));
    dir_.writeSettings({{"Language/Lang", 0}});
    window_ = std::make_unique<MainWindow>();
    EXPECT_EQ(window_->languageState(), 2);
    EXPECT_EQ(child<QMenu>("menu_File")->title(), QString::fromUtf8("文件(&F)"));
    EXPECT_EQ(action("action_Stop")->text(), QString::fromUtf8("暂停(&U)"));
    // Texts set by code are not translated.
    EXPECT_TRUE(window_->statisticsLabel()->text().startsWith("fps: "));
    action("actionEnglish_Chinese")->trigger();
    EXPECT_EQ(window_->languageState(), 1);
    EXPECT_EQ(child<QMenu>("menu_File")->title(), "&File");
    action("actionEnglish_Chinese")->trigger();
    EXPECT_EQ(action("action_Stop")->text(), QString::fromUtf8("暂停(&U)"));
}

}  // namespace
