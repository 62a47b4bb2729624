// SPDX-License-Identifier: MIT
// The About box: software and firmware versions, the company and its logo.
#include "AboutDialog.h"

#include "AppGlobals.h"
#include "AppSettings.h"
#include "ui_AboutDialog.h"
#include "vidscope/camera_api.h"

AboutDialog::AboutDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()), settings_(settings) {
    ui_->setupUi(this);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::retranslate() {
    ui_->retranslateUi(this);
    showTexts();
}

// The texts from the values of the last refresh, in the current language; asks the camera
// nothing, so a language switch logs no failure.
void AboutDialog::showTexts() {
    ui_->lblLogo->setVisible(company_ == QLatin1String(kDefaultCompany));
    ui_->label_2->setText(tr("Industrial Camera Tool\n") + company_ + QLatin1Char('\n') +
                          tr("Licensed to its users under the MIT License."));
    ui_->lbVersion->setText(firmwareText(firmware_));
    ui_->lblAPIVersion->setText(QStringLiteral("%1.%2").arg(apiMajor_).arg(apiMinor_));
}

QString AboutDialog::firmwareText(unsigned int version) {
    return QStringLiteral("%1.%2").arg((version >> 8) & 0xFF, 0, 16).arg(version & 0xFF, 0, 16);
}

void AboutDialog::refresh() {
    unsigned int version = 0;
    if (!CameraGetFirmVersion(currentCamera.load(), &version))
        emit toTable(QStringLiteral("CameraGetFirmVersion"), CameraGetLastError());
    firmware_ = version;
    CameraGetApiVersion(&apiMajor_, &apiMinor_);
    company_ = settings_.qsettings()
                   .value(QStringLiteral("Company/Name"), QString::fromLatin1(kDefaultCompany))
                   .toString();
    settings_.sync();
    showTexts();
}

QString AboutDialog::softwareVersion() const {
    return ui_->lblAPIVersion->text();
}

QString AboutDialog::firmwareVersion() const {
    return ui_->lbVersion->text();
}

QString AboutDialog::aboutText() const {
    return ui_->label_2->text();
}

bool AboutDialog::logoShown() const {
    return !ui_->lblLogo->isHidden();
}

void AboutDialog::on_closeBtn_clicked() {
    close();
}
