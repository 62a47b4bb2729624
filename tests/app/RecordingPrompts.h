// SPDX-License-Identifier: MIT
// Stands in for the operator at every message box and file chooser of the GUI tests.
#pragma once

#include <QStringList>

#include "UserPrompts.h"

// Installed while alive. Boxes are recorded as "title: text" (warnings also apart), choosers as
// "caption | dir | filter" and answered with `fileName`; a question gets `button`, or the
// caller's default while `button` is NoButton.
class RecordingPrompts final : public UserPrompts {
public:
    RecordingPrompts() { UserPrompts::setInstance(this); }
    ~RecordingPrompts() override { UserPrompts::setInstance(nullptr); }

    void notice(QWidget*, const QString& title, const QString& text) override { box(title, text); }
    void warning(QWidget*, const QString& title, const QString& text) override {
        box(title, text);
        warnings << boxes.last();
    }
    QMessageBox::StandardButton question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons,
                                         QMessageBox::StandardButton fallback) override {
        box(title, text);
        return button == QMessageBox::NoButton ? fallback : button;
    }
    QString openFileName(QWidget*, const QString& caption, const QString& dir,
                         const QString& filter) override {
        return choose(caption, dir, filter);
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& dir,
                         const QString& filter) override {
        return choose(caption, dir, filter);
    }
    QString existingDirectory(QWidget*, const QString& caption, const QString& dir) override {
        return choose(caption, dir, QString());
    }

    QStringList boxes;
    QStringList warnings;  // the boxes that were warnings, again
    QStringList choosers;
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    QString fileName;

private:
    void box(const QString& title, const QString& text) { boxes << title + ": " + text; }
    QString choose(const QString& caption, const QString& dir, const QString& filter) {
        choosers << caption + " | " + dir + " | " + filter;
        return fileName;
    }
};
