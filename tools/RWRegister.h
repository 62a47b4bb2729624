// SPDX-License-Identifier: MIT
// "R/W Register": single sensor registers and EEPROM bytes, and the camera's 12-byte user data.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

namespace Ui {
class RWRegister;
}

// A service tool on the current camera. Addresses and values are hexadecimal; text that is no
// number reads as 0, a number above FFFF is refused. Writing the user data ("GUID") needs the
// management features (managementEnabled). Failures go to the message log and the fields keep
// their contents.
class RWRegister : public QDialog {
    Q_OBJECT

public:
    static constexpr int kGuidLength = 12;
    static constexpr unsigned int kReadPlaceholder = 0x78;

    explicit RWRegister(QWidget* parent = nullptr);
    ~RWRegister() override;

    bool managementEnabled = false;

    // The hexadecimal reading of a field: an optional "0x", then hex digits. Garbage and empty
    // text read as 0; nothing when the number does not fit 16 bits.
    static std::optional<unsigned short> parseHex(const QString& text);

signals:
    void toTable(QString type, int num_error);

public slots:
    // Disables the camera buttons while no camera is open (index -1).
    void cameraChanged(int index);

private slots:
    void on_btnReadReg_clicked();
    void on_btnWriteReg_clicked();
    void on_btnRGUID_clicked();
    void on_btnWGUID_clicked();

private:
    bool eepromSelected() const;
    std::optional<unsigned short> field(const QString& text);
    void report(const char* function);
    void notice(const QString& text);

    std::unique_ptr<Ui::RWRegister> ui_;
};
