// SPDX-License-Identifier: MIT
// Tests of the message log dock: error texts, event rows, ordering and the context menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>

#include "DockMessage.h"
#include "ShellTestSupport.h"

namespace {

TEST(DockMessageTest, ApiErrorsNameTheCodeAndTheFunction) {
    DockMessage dock;
    dock.logMessage("CameraQueryImage", 4);
    dock.logMessage("CameraInit", 1);
    dock.logMessage("CameraISP", 17);
    const QTableWidget& table = *dock.table();
    ASSERT_EQ(table.rowCount(), 3);
    // Newest first.
    EXPECT_EQ(logColumn(table, 1),
              (QStringList{"API error (code: CAMERA_ERROR_DATA_TIMEOUT)",
                           "API error (code: CAMERA_ERROR_INDEX_OUT_OF_RANGE)",
                           "API error (code: CAMERA_ERROR_USB_DISCONNECTED)"}));
    EXPECT_EQ(logColumn(table, 2), (QStringList{"CameraISP", "CameraInit", "CameraQueryImage"}));
}

TEST(DockMessageTest, EveryErrorCodeHasItsOwnName) {
    QStringList seen;
    for (int code = 1; code <= 17; ++code) {
        const QString text = DockMessage::errorText(code);
        ASSERT_TRUE(text.startsWith("API error (code: CAMERA_ERROR_")) << code;
        EXPECT_FALSE(seen.contains(text)) << code;
        seen << text;
    }
    EXPECT_EQ(DockMessage::errorText(12), "API error (code: CAMERA_ERROR_IMAGE_SIZE)");
    EXPECT_EQ(DockMessage::errorText(15), "API error (code: CAMERA_ERROR_USER_ABORT)");
}

TEST(DockMessageTest, EventsShowTheirTextWithAnEmptyFunctionColumn) {
    DockMessage dock;
    const std::pair<const char*, int> events[] = {{"Start video", 18},
                                                  {"Stop video", 19},
                                                  {"Camera plugged in", 20},
                                                  {"Camera plugged out", 21},
                                                  {"Did not find the camera", 22}};
    for (const auto& [text, number] : events) {
        dock.logMessage(text, number);
    }
    const QTableWidget& table = *dock.table();
    EXPECT_EQ(logColumn(table, 1), (QStringList{"Did not find the camera", "Camera plugged out",
                                                "Camera plugged in", "Stop video", "Start video"}));
    EXPECT_EQ(logColumn(table, 2), QStringList(5, QString()));
}

TEST(DockMessageTest, NumbersOutsideTheTableAddNothing) {
    DockMessage dock;
    for (int number : {0, -1, 23, 1000}) {
        dock.logMessage("CameraInit", number);
    }
    EXPECT_EQ(dock.table()->rowCount(), 0);
}

TEST(DockMessageTest, RowsCarryTheirTimeAndHeight) {
    DockMessage dock;
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    dock.logMessage("Start video", 18);
    const QTableWidget& table = *dock.table();
    const QString time = table.item(0, 0)->text();
    EXPECT_TRUE(
        QRegularExpression(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\d{3}$)").match(time).hasMatch())
        << time.toStdString();
    const QDateTime logged = QDateTime::fromString(time, DockMessage::kTimeFormat);
    EXPECT_GE(logged, before.addSecs(-1));
    EXPECT_LE(logged, QDateTime::currentDateTime().addSecs(1));
    EXPECT_EQ(table.rowHeight(0), DockMessage::kRowHeight);
    // Log rows are read-only and not selectable.
    EXPECT_EQ(table.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(table.selectionMode(), QAbstractItemView::NoSelection);
    EXPECT_FALSE(table.showGrid());
    EXPECT_FALSE(table.horizontalHeader()->isVisible() || table.verticalHeader()->isVisible());
    EXPECT_EQ(table.columnWidth(1), 400);
}

TEST(DockMessageTest, ContextMenuClearsEveryRowAndReplacesAnEarlierMenu) {
    DockMessage dock;
    for (int i = 0; i < 4; ++i) {
        dock.logMessage("CameraPlay", 9);
    }
    QTableWidget& table = *dock.table();
    emit table.customContextMenuRequested(QPoint(5, 5));
    emit table.customContextMenuRequested(QPoint(6, 6));
    QCoreApplication::processEvents();
    const QList<QMenu*> menus = dock.findChildren<QMenu*>();
    ASSERT_EQ(menus.size(), 1);
    const QList<QAction*> actions = menus.front()->actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.front()->text(), "Clear all messages");
    actions.front()->trigger();
    EXPECT_EQ(table.rowCount(), 0);
    // On an empty table the entry changes nothing and does not fail.
    actions.front()->trigger();
    EXPECT_EQ(table.rowCount(), 0);
}

TEST(DockMessageTest, ClosingTellsTheWindowWhichDockClosed) {
    DockMessage dock;
    QSignalSpy closed(&dock, &DockMessage::CloseDockMessage);
    dock.show();
    dock.close();
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.front().front().toInt(), 2);
}

}  // namespace
