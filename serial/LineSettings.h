// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

// The line settings of a port, as written in a settings text like "9600,N,8,1".
struct LineSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    bool operator==(const LineSettings &) const = default;
};

// Parses "baud,parity,data bits,stop bits": parity one of N, E, O, M, S (any
// case), data bits 5 to 8, stop bits 1, 1.5 or 2. Anything else gives nothing.
std::optional<LineSettings> ParseLineSettings(const QString &text);
