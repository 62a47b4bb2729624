// SPDX-License-Identifier: MIT
// The About box: software and firmware versions, the company and its logo.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class AppSettings;

namespace Ui {
class AboutDialog;
}

// Refreshed when shown and whenever a camera is opened, so the firmware version is always the
// current camera's. The logo belongs to the default company: another "Company/Name" hides it.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kDefaultCompany = "Veltro Technology";

    AboutDialog(AppSettings& settings, QWidget* parent = nullptr);
    ~AboutDialog() override;

    void refresh();
    void retranslate();

    QString softwareVersion() const;
    QString firmwareVersion() const;
    QString aboutText() const;
    bool logoShown() const;

    // "%1.%2" from the version's second-lowest and lowest byte in hexadecimal: 0x0110 is 1.10.
    static QString firmwareText(unsigned int version);

signals:
    void toTable(QString type, int num_error);

private slots:
    void on_closeBtn_clicked();

private:
    void showTexts();

    std::unique_ptr<Ui::AboutDialog> ui_;
    AppSettings& settings_;
    unsigned int firmware_ = 0;
    int apiMajor_ = 0;
    int apiMinor_ = 0;
    QString company_ = QString::fromLatin1(kDefaultCompany);
};
