// SPDX-License-Identifier: MIT
// The one seam through which windows ask the operator: message boxes and file choosers.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Windows never open a QMessageBox or QFileDialog themselves: they ask the current prompts
// object, so that tests install answers of their own instead of racing modal windows with
// timers. The default instance shows the real dialogs.
//
// Ownership: setInstance() does not take ownership; the caller keeps the object alive until
// it installs another one or passes nullptr (which restores the real dialogs).
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // An information box with one OK button ("notice" boxes, warnings).
    virtual void notice(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void warning(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question; returns the button pressed (one of `buttons`, or `fallback` when closed).
    virtual QMessageBox::StandardButton question(QWidget* parent, const QString& title,
                                                 const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton fallback) = 0;
    // File choosers; an empty string means the operator cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& caption,
                                      const QString& dir) = 0;

    static UserPrompts& instance();
    static void setInstance(UserPrompts* prompts);
};
