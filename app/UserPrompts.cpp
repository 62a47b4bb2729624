// SPDX-License-Identifier: MIT
// The real dialogs behind the prompt seam, and the switch tests use to answer them.
#include "UserPrompts.h"

#include <QFileDialog>

namespace {

class DialogPrompts final : public UserPrompts {
public:
    void notice(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::information(parent, title, text, QMessageBox::Ok);
    }
    void warning(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::warning(parent, title, text, QMessageBox::Ok);
    }
    QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton fallback) override {
        return QMessageBox::question(parent, title, text, buttons, fallback);
    }
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    }
    QString existingDirectory(QWidget* parent, const QString& caption,
                              const QString& dir) override {
        return QFileDialog::getExistingDirectory(parent, caption, dir);
    }
};

DialogPrompts dialogPrompts;
UserPrompts* current = &dialogPrompts;

}  // namespace

UserPrompts& UserPrompts::instance() {
    return *current;
}

void UserPrompts::setInstance(UserPrompts* prompts) {
    current = prompts ? prompts : &dialogPrompts;
}
