// SPDX-License-Identifier: MIT
// "R/W Register": single sensor registers and EEPROM bytes, and the camera's 12-byte user data.
#include "RWRegister.h"

#include <algorithm>
#include <array>

#include "AppGlobals.h"
#include "TranslatableWindows.h"
#include "UserPrompts.h"
#include "ui_RWRegister.h"
#include "vidscope/camera_api.h"

namespace {
constexpr int kEepromIndex = 1;
}  // namespace

RWRegister::RWRegister(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::RWRegister>()) {
    ui_->setupUi(this);
    TranslatableWindows::instance().add(this, [this] { ui_->retranslateUi(this); });
}

RWRegister::~RWRegister() = default;

std::optional<unsigned short> RWRegister::parseHex(const QString& text) {
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, 16);
    if (!ok) {
        // Hex digits too many for 64 bits are a large number, not garbage.
        const bool allHex =
            !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
                return c.isDigit() ||
                       (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
            });
        return allHex ? std::nullopt : std::optional<unsigned short>(0);
    }
    if (value > 0xFFFF)
        return std::nullopt;
    return static_cast<unsigned short>(value);
}

void RWRegister::cameraChanged(int index) {
    const bool open = index >= 0;
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->btnReadReg), static_cast<QWidget*>(ui_->btnWriteReg),
          static_cast<QWidget*>(ui_->btnRGUID), static_cast<QWidget*>(ui_->btnWGUID)})
        w->setEnabled(open);
}

bool RWRegister::eepromSelected() const {
    return ui_->cbSource->currentIndex() == kEepromIndex;
}

void RWRegister::report(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

void RWRegister::notice(const QString& text) {
    UserPrompts::instance().notice(this, tr("NOTICE"), text);
}

std::optional<unsigned short> RWRegister::field(const QString& text) {
    const std::optional<unsigned short> value = parseHex(text);
    if (!value)
        notice(tr("Addresses and values are hexadecimal numbers from 0 to FFFF."));
    return value;
}

void RWRegister::on_btnReadReg_clicked() {
    const std::optional<unsigned short> address = field(ui_->leReg->text());
    if (!address)
        return;
    const int camera = currentCamera.load();
    unsigned int value = kReadPlaceholder;
    bool ok = false;
    if (eepromSelected()) {
        unsigned char byte = kReadPlaceholder;
        ok = CameraReadEEPROM(camera, 0, *address, &byte, 0);
        value = byte;
    } else {
        ok = CameraReadSCCB(camera, 0, *address, &value, 0);
    }
    if (!ok)
        report("CameraReadUserData");
    ui_->leVal->setText(QString::number(value, 16));
}

void RWRegister::on_btnWriteReg_clicked() {
    const std::optional<unsigned short> address = field(ui_->leReg->text());
    const std::optional<unsigned short> value = address ? field(ui_->leVal->text()) : std::nullopt;
    if (!address || !value)
        return;
    const int camera = currentCamera.load();
    const bool ok = eepromSelected() ? CameraWriteEEPROM(camera, 0, *address,
                                                         static_cast<unsigned char>(*value), 0)
                                     : CameraWriteSCCB(camera, 0, *address, *value, 0);
    if (!ok)
        report("CameraWriteUserData");
}

void RWRegister::on_btnRGUID_clicked() {
    std::array<unsigned char, kGuidLength> bytes{};
    if (!CameraReadUserData(currentCamera.load(), bytes.data(), kGuidLength)) {
        // How much of the buffer the camera filled is unknown: the field keeps its text.
        report("CameraReadUserData");
        return;
    }
    ui_->leGUIDValue->setText(
        QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), kGuidLength));
}

void RWRegister::on_btnWGUID_clicked() {
    if (!managementEnabled) {
        notice(tr("Please ask permission from vendor to write GUID."));
        return;
    }
    const QString text = ui_->leGUIDValue->text();
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    // One byte a character: anything outside printable ASCII would not read back as typed.
    if (text.size() != kGuidLength || !ascii) {
        notice(tr("Please enter a valid GUID(12 digits or letters)."));
        return;
    }
    const QByteArray bytes = text.toLatin1();
    if (CameraWriteUserData(currentCamera.load(),
                            reinterpret_cast<const unsigned char*>(bytes.constData()), kGuidLength))
        notice(tr("GUID write successfully."));
    else
        report("CameraWriteUserData");
}
