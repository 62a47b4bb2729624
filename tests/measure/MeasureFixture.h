// SPDX-License-Identifier: MIT
// A window with the view, the measurement scene over a picture, its table and docks.
#pragma once

#include <gtest/gtest.h>

#include <QGraphicsPixmapItem>
#include <QImage>
#include <QMainWindow>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "ImageView.h"
#include "InteractiveScene.h"
#include "Mark.h"
#include "MeasureController.h"
#include "RecordingPrompts.h"
#include "ShellTestSupport.h"
#include "Statistics.h"

// The view shows a 640 x 480 grey picture in a window of 820 x 620, anchored top left, so
// that a viewport point is scene point x zoom when the scroll bars are at 0.
class MeasureFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    MeasureFixture() {
        window_ = std::make_unique<QMainWindow>();
        view_ = new ImageView(window_.get());
        view_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        view_->setMouseTracking(true);
        window_->setCentralWidget(view_);
        scene_ = new InteractiveScene(window_.get());
        scene_->setMarkFileName(dir_.path() + "/mark.txt");
        view_->setScene(scene_);
        QObject::connect(view_, &ImageView::zoomChanged, scene_, &InteractiveScene::setZoomFactor);
        QObject::connect(scene_, &InteractiveScene::zoomInRequested, view_,
                         &ImageView::zoomInUnderMouse);
        QObject::connect(scene_, &InteractiveScene::zoomOutRequested, view_,
                         &ImageView::zoomOutUnderMouse);
        settings_ = std::make_unique<QSettings>(dir_.path() + "/setting.ini", QSettings::IniFormat);
        controller_ = new MeasureController(window_.get(), scene_, *settings_);
        window_->resize(820, 620);
        window_->show();
    }
    ~MeasureFixture() override { window_.reset(); }

    void addPicture() {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::darkGray);
        scene_->addPixmap(QPixmap::fromImage(image))->setZValue(-1);
        scene_->setSceneRect(0, 0, kWidth, kHeight);
    }
    void setZoom(double zoom) {
        view_->resetView();
        view_->scale(zoom, zoom);
        scene_->setZoomFactor(zoom);
        view_->horizontalScrollBar()->setValue(0);
        view_->verticalScrollBar()->setValue(0);
    }
    // The viewport point that lands on scene point p, checked to land there exactly. (QTest
    // reads the point (0, 0) as "the widget's centre", so it cannot be clicked.)
    QPoint viewportPoint(QPointF p) const {
        const QPoint at = view_->mapFromScene(p);
        EXPECT_FALSE(at.isNull()) << "QTest would click the centre instead";
        EXPECT_EQ(view_->mapToScene(at), p) << "scene point not reachable at this zoom";
        return at;
    }
    void click(QPointF p, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(view_->viewport(), button, Qt::NoModifier, viewportPoint(p));
    }
    void move(QPointF p) { QTest::mouseMove(view_->viewport(), viewportPoint(p)); }
    void key(int key) { QTest::keyClick(view_->viewport(), static_cast<Qt::Key>(key)); }
    Statistics& table() const { return *controller_->statistics(); }
    QStringList row(int r) const {
        QStringList cells;
        for (int column = 0; column < 8; ++column)
            cells << table().cellText(r, column);
        return cells;
    }
    QStringList labelTexts(const Mark& mark) const {
        QStringList texts;
        for (const Mark::Label& label : mark.labels())
            texts << label.text;
        return texts;
    }

    ScopedWorkDir dir_;
    RecordingPrompts prompts_;
    std::unique_ptr<QMainWindow> window_;
    std::unique_ptr<QSettings> settings_;
    ImageView* view_ = nullptr;
    InteractiveScene* scene_ = nullptr;
    MeasureController* controller_ = nullptr;
};

// The same tests at zoom 1 and 2: what a click lands on goes through the view's mapping.
class ZoomedMeasureTest : public MeasureFixture, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override {
        addPicture();
        setZoom(GetParam());
    }
};
