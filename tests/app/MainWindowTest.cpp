// SPDX-License-Identifier: MIT
// Tests of the main window's shell: form layout, feature switches, tools, log and maintenance.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGraphicsRectItem>
#include <QLabel>
#include <QMenu>
#include <QSet>
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

// The form's own layout is not restated here; what can break without a form edit is checked:
// every action is reachable from a menu or tool bar, and every icon resource resolves.
TEST_F(MainWindowTest, EveryActionIsReachableAndEveryIconResolves) {
    open();
    QSet<QAction*> placed;
    for (const QWidget* container : window_->findChildren<QWidget*>()) {
        if (qobject_cast<const QMenu*>(container) || qobject_cast<const QToolBar*>(container)) {
            for (QAction* a : container->actions())
                placed.insert(a);
        }
    }
    int withIcon = 0;
    for (QAction* a : window_->findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        if (!a->objectName().startsWith("action"))
            continue;
        EXPECT_TRUE(placed.contains(a)) << a->objectName().toStdString();
        if (!a->icon().isNull()) {
            ++withIcon;
            EXPECT_FALSE(a->icon().pixmap(16, 16).isNull()) << a->objectName().toStdString();
        }
    }
    EXPECT_EQ(withIcon, 26) << "a resource that does not resolve gives a null icon";
    EXPECT_EQ(entries(*child<QMenu>("menu_Mesure")), entries(*child<QToolBar>("toolBar_2")));
    const QStringList main = entries(*child<QToolBar>("toolBar"));
    EXPECT_TRUE(main.contains("cameraBox") && main.contains("resolutionBox"));
    // Disabled by the form, enabled as soon as the settings dialog it acts on exists.
    EXPECT_TRUE(child<QMenu>("menuSettings")->isEnabled());
    EXPECT_FALSE(action("actionSingle_Capture")->isEnabled());
}

TEST_F(MainWindowTest, StatusBarAndMessageDockStartAsDescribed) {
    open();
    EXPECT_EQ(window_->windowTitle(), "vidScope");
    EXPECT_FALSE(window_->windowIcon().isNull());
    EXPECT_EQ(window_->view()->scene(), window_->scene());
    EXPECT_EQ(window_->usbLabel()->text(), "");
    EXPECT_EQ(window_->statisticsLabel()->text(),
              "fps: 0.00 dropped: 0 elasped: [00:00:00] avg: 00 exposure: 0000.000ms");
    EXPECT_EQ(window_->pixelLabel()->text(), "Pos(0000,0000)   Rgb(000,000,000)   Gray:000");
    EXPECT_EQ(window_->captureLabel()->text(), "");
    // The fields sit left to right in the status bar.
    window_->show();
    EXPECT_LT(window_->usbLabel()->x(), window_->statisticsLabel()->x());
    EXPECT_LT(window_->statisticsLabel()->x(), window_->pixelLabel()->x());
    EXPECT_LT(window_->pixelLabel()->x(), window_->captureLabel()->x());
    EXPECT_TRUE(window_->dockMessage()->isHidden());
    EXPECT_EQ(window_->dockWidgetArea(window_->dockMessage()), Qt::BottomDockWidgetArea);
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
    EXPECT_EQ(QSettings("setting.ini", QSettings::IniFormat).value("Language/Lang").toInt(), 1);
    action("actionEnglish_Chinese")->trigger();
    EXPECT_EQ(action("action_Stop")->text(), QString::fromUtf8("暂停(&U)"));
}

}  // namespace
