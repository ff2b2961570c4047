// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineSettings.h"

#include <QRegularExpression>

std::optional<LineSettings> ParseLineSettings(const QString &text)
{
    static const QRegularExpression format(
            QStringLiteral("^\\s*(\\d+)\\s*,\\s*([NEOMS])\\s*,\\s*([5-8])\\s*,\\s*(1|1\\.5|2)\\s*$"),
            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = format.match(text);
    const qint32 baudRate = match.captured(1).toInt(); // 0 without a match
    if (baudRate <= 0)
        return std::nullopt;
    static const QString parities = QStringLiteral("NEOMS");
    static const QSerialPort::Parity parity[] = {QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
                                                 QSerialPort::MarkParity, QSerialPort::SpaceParity};
    const QString stop = match.captured(4);
    return LineSettings{baudRate, parity[parities.indexOf(match.captured(2).toUpper())],
                        static_cast<QSerialPort::DataBits>(match.captured(3).toInt()),
                        stop == u"1"   ? QSerialPort::OneStop
                        : stop == u"2" ? QSerialPort::TwoStop
                                       : QSerialPort::OneAndHalfStop};
}
