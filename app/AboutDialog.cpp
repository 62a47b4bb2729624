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
    refresh();
}

QString AboutDialog::firmwareText(unsigned int version) {
    return QStringLiteral("%1.%2").arg((version >> 8) & 0xFF, 0, 16).arg(version & 0xFF, 0, 16);
}

void AboutDialog::refresh() {
    unsigned int version = 0;
    if (!CameraGetFirmVersion(currentCamera.load(), &version))
        emit toTable(QStringLiteral("CameraGetFirmVersion"), CameraGetLastError());
    int major = 0;
    int minor = 0;
    CameraGetApiVersion(&major, &minor);

    const QString defaultCompany = QString::fromLatin1(kDefaultCompany);
    const QString company =
        settings_.qsettings().value(QStringLiteral("Company/Name"), defaultCompany).toString();
    settings_.sync();
    ui_->lblLogo->setVisible(company == defaultCompany);
    ui_->label_2->setText(tr("Industrial Camera Tool\n") + company + QLatin1Char('\n') +
                          tr("Licensed to its users under the MIT License."));
    ui_->lbVersion->setText(firmwareText(version));
    ui_->lblAPIVersion->setText(QStringLiteral("%1.%2").arg(major).arg(minor));
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
