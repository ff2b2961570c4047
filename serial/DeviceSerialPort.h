// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LineSettings.h"
#include "PortDirectory.h"
#include "SerialPort.h"

#include <QSerialPort>

// The serial port on a real device (or a pseudo-terminal standing in for one),
// through QSerialPort. QSerialPort opens the device raw, non-blocking, never as
// the controlling terminal, and locks it against other programs.
class DeviceSerialPort final : public SerialPort
{
public:
    explicit DeviceSerialPort(PortDirectory directory);

    bool SetPortNumber(int16_t number) override;
    int16_t PortNumber() const override { return m_number; }
    bool IsOpen() const override;
    bool Open() override;
    bool Close() override;
    bool SetSettings(const QString &settings) override;
    bool SetDtr(bool on) override;
    bool SetRts(bool on) override;
    bool SetInputLen(int16_t length) override;
    bool Write(const QByteArray &bytes) override;
    bool Read(QByteArray &into) override;
    bool InputWaiting() const override;
    int Descriptor() const override { return static_cast<int>(m_port.handle()); }
    OpenError LastOpenError() const override { return m_openError; }

    const PortDirectory &Directory() const { return m_directory; }

private:
    bool Usable() const { return m_port.isOpen() && !m_lost; }
    void ApplySettings();
    bool ApplyModemLines();
    void OnError(QSerialPort::SerialPortError error);

    PortDirectory m_directory;
    QSerialPort m_port;
    int16_t m_number{};
    LineSettings m_settings;
    bool m_dtr{};
    bool m_rts{};
    // The device failed while open (adapter pulled, line hung up): it is closed
    // on the next event-loop pass and writes nothing meanwhile. What it had
    // received is kept for the reads that follow.
    bool m_lost{};
    QByteArray m_salvaged;
    OpenError m_openError;
};
