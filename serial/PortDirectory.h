// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// A serial device as the system reports it.
struct PortDevice
{
    QString name;        // e.g. "ttyUSB0"
    QByteArray path;     // what gets opened, in the file system's own bytes, e.g. "/dev/ttyUSB0"
    QString description; // for people: adapter, maker, or where the name came from

    // The path as people read it.
    QString ShownPath() const;
};

// Which device stands behind COM1 to COM9, fixed once at start-up.
//
// The environment variable ZELVORIN_COMn names the device for COMn (a
// pseudo-terminal, a /dev/serial/by-id link, a socat link); set but empty, it
// keeps COMn free. The devices the system reports fill the remaining slots:
// on-board UARTs (ttyS*) first, then adapters, each group in natural name order.
class PortDirectory
{
public:
    static constexpr int FirstNumber = 1;
    static constexpr int LastNumber = 9;
    // The raw value of an environment variable, if set (even when empty).
    using Environment = std::function<std::optional<QByteArray>(const QString &name)>;
    using SystemDevices = std::function<QList<PortDevice>()>;

    PortDirectory() = default; // no devices at all

    // The system's devices fill the slots the environment leaves; when it
    // names all nine, the system is not asked (asking opens some devices).
    static PortDirectory FromSystem();
    static std::optional<QByteArray> FromEnvironment(const QString &name);
    static PortDirectory Assign(const SystemDevices &system, const Environment &environment);
    static QString EnvironmentName(int number);
    // What the system says of a device: "FT232R USB UART, FTDI".
    static QString SystemDescription(const QString &description, const QString &manufacturer);
    // A device named the way the port opens it: "ttyUSB0" is /dev/ttyUSB0,
    // "./x" and "../x" are relative to the working folder.
    static QByteArray ResolvePath(const QByteArray &name);
    // The path with every link followed, or as it is where that fails.
    static QByteArray CanonicalPath(const QByteArray &path);

    std::optional<PortDevice> Device(int number) const;
    void SetDevice(int number, const PortDevice &device);

private:
    std::array<std::optional<PortDevice>, LastNumber> m_slots;
};
