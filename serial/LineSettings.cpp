#include "LineSettings.h"

#include <QStringList>

namespace {

std::optional<QSerialPort::Parity> ParseParity(const QString &field)
{
    if (field.size() != 1)
        return std::nullopt;
    switch (field.at(0).toUpper().unicode()) {
    case 'N': return QSerialPort::NoParity;
    case 'E': return QSerialPort::EvenParity;
    case 'O': return QSerialPort::OddParity;
    case 'M': return QSerialPort::MarkParity;
    case 'S': return QSerialPort::SpaceParity;
    default: return std::nullopt;
    }
}

std::optional<QSerialPort::DataBits> ParseDataBits(const QString &field)
{
    bool ok = false;
    const int bits = field.toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return std::nullopt;
    return static_cast<QSerialPort::DataBits>(bits);
}

std::optional<QSerialPort::StopBits> ParseStopBits(const QString &field)
{
    if (field == u"1")
        return QSerialPort::OneStop;
    if (field == u"1.5")
        return QSerialPort::OneAndHalfStop;
    if (field == u"2")
        return QSerialPort::TwoStop;
    return std::nullopt;
}

} // namespace

std::optional<LineSettings> ParseLineSettings(const QString &text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;

    bool ok = false;
    const qint32 baudRate = fields[0].trimmed().toInt(&ok);
    const auto parity = ParseParity(fields[1].trimmed());
    const auto dataBits = ParseDataBits(fields[2].trimmed());
    const auto stopBits = ParseStopBits(fields[3].trimmed());
    if (!ok || baudRate <= 0 || !parity || !dataBits || !stopBits)
        return std::nullopt;
    return LineSettings{baudRate, *parity, *dataBits, *stopBits};
}
