// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeviceSerialPort.h"

#include <QFile>
#include <QMetaObject>

#include <cerrno>
#include <climits>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// QSerialPort keeps at most this much unread; beyond it the device waits.
// The exchange reads on every pass, so only a port left open after a reset
// can fill it, with a machine that goes on sending.
constexpr qint64 ReadBufferBytes = 1 << 20;
// QSerialPort names its lock file "LCK.." and the path without "/dev/", with
// every "/" as "_": longer than a file name may be, the port never opens.
constexpr qsizetype LockFilePrefixBytes = 5;

bool LockFileNameFits(const QByteArray &path)
{
    const qsizetype name = path.startsWith("/dev/") ? path.size() - 5 : path.size();
    return LockFilePrefixBytes + name <= NAME_MAX;
}

OpenError ClassifyOpenError(const QByteArray &path, QSerialPort::SerialPortError error, const QString &text)
{
    using Kind = OpenError::Kind;
    if (error == QSerialPort::DeviceNotFoundError || ::access(path.constData(), F_OK) != 0)
        return {Kind::NoDevice, text};
    // QSerialPort reports the lock another program holds as a permission
    // error too; the device's own permissions tell the two apart.
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return {Kind::PermissionDenied, text};
    if (error == QSerialPort::PermissionError || text.contains(QLatin1StringView("busy"), Qt::CaseInsensitive))
        return {Kind::Busy, text};
    return {Kind::Other, text};
}

} // namespace

DeviceSerialPort::DeviceSerialPort(PortDirectory directory)
    : m_directory(std::move(directory))
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { OnError(error); });
}

bool DeviceSerialPort::SetPortNumber(int16_t number)
{
    if (m_port.isOpen())
        return false;
    m_number = number;
    return true;
}

bool DeviceSerialPort::IsOpen() const
{
    return m_port.isOpen();
}

bool DeviceSerialPort::Open()
{
    if (m_port.isOpen()) {
        m_openError = {OpenError::Kind::Other, QStringLiteral("die Schnittstelle ist schon offen")};
        return false;
    }
    const std::optional<PortDevice> device = m_directory.Device(m_number);
    if (!device) {
        m_openError = {OpenError::Kind::NoDevice, QStringLiteral("COM%1 ist keinem Gerät zugeordnet").arg(m_number)};
        return false;
    }

    // Opened by its real path: links of any length and name lead to a short
    // one, and the lock file then matches other programs' for the same device.
    const QByteArray path = PortDirectory::CanonicalPath(device->path);
    if (QFile::encodeName(QFile::decodeName(path)) != path || !LockFileNameFits(path)) {
        m_openError = {
                OpenError::Kind::Other,
                QStringLiteral("der Pfad des Geräts ist zu lang oder kein UTF-8: %1").arg(QFile::decodeName(path))};
        return false;
    }
    m_port.setPortName(QFile::decodeName(path));
    m_port.setReadBufferSize(ReadBufferBytes);
    ApplySettings();
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = ClassifyOpenError(path, m_port.error(), m_port.errorString()); // the next open clears it
        return false;
    }
    // Terminal programs that do not look at lock files take this lock instead.
    if (::flock(static_cast<int>(m_port.handle()), LOCK_EX | LOCK_NB) != 0) {
        m_port.close();
        m_openError = {OpenError::Kind::Busy, QString::fromLocal8Bit(::strerror(EWOULDBLOCK))};
        return false;
    }
    m_lost = false;
    m_openError = {};
    ApplyModemLines();
    return true;
}

bool DeviceSerialPort::Close()
{
    if (!m_port.isOpen())
        return false;
    m_port.close();
    m_lost = false;
    m_salvaged.clear();
    return true;
}

bool DeviceSerialPort::SetSettings(const QString &settings)
{
    const std::optional<LineSettings> parsed = ParseLineSettings(settings);
    if (!parsed)
        return false;
    m_settings = *parsed;
    ApplySettings();
    return true;
}

void DeviceSerialPort::ApplySettings()
{
    // Before the open these only record the values; QSerialPort applies them then.
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setParity(m_settings.parity);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setStopBits(m_settings.stopBits);
}

bool DeviceSerialPort::SetDtr(bool on)
{
    m_dtr = on;
    return ApplyModemLines();
}

bool DeviceSerialPort::SetRts(bool on)
{
    m_rts = on;
    return ApplyModemLines();
}

// Best effort: a pseudo-terminal has no modem lines, and the exchange works
// without them. A closed port takes them on at its open.
bool DeviceSerialPort::ApplyModemLines()
{
    return !Usable() || (m_port.setRequestToSend(m_rts) && m_port.setDataTerminalReady(m_dtr));
}

bool DeviceSerialPort::SetInputLen(int16_t length)
{
    return length == 0; // a read takes everything waiting; nothing else is needed
}

bool DeviceSerialPort::Write(const QByteArray &bytes)
{
    if (!Usable() || m_port.write(bytes) != bytes.size())
        return false;
    m_port.flush(); // onto the wire now, not at the next event-loop pass
    return true;
}

bool DeviceSerialPort::Read(QByteArray &into)
{
    // What arrived before the device failed still counts.
    if (m_port.isOpen()) {
        into = m_port.readAll();
        return true;
    }
    if (m_salvaged.isEmpty())
        return false;
    into = std::exchange(m_salvaged, QByteArray());
    return true;
}

bool DeviceSerialPort::InputWaiting() const
{
    int inDriver = 0;
    return !m_salvaged.isEmpty() || m_port.bytesAvailable() > 0
           || (Usable() && ::ioctl(static_cast<int>(m_port.handle()), FIONREAD, &inDriver) == 0 && inDriver > 0);
}

void DeviceSerialPort::OnError(QSerialPort::SerialPortError error)
{
    const bool deviceFailed = error == QSerialPort::ResourceError || error == QSerialPort::ReadError
                              || error == QSerialPort::WriteError;
    if (!deviceFailed || !m_port.isOpen() || m_lost)
        return;
    // A dead device stays readable to poll() forever; left open, it would spin
    // the event loop. QSerialPort is still inside its notifier here, so close
    // it once that has returned.
    m_lost = true;
    QMetaObject::invokeMethod(
            &m_port,
            [this] {
                if (m_lost && m_port.isOpen()) {
                    m_salvaged = m_port.readAll();
                    m_port.close();
                }
            },
            Qt::QueuedConnection);
}
