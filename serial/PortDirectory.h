#pragma once

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// A serial device as the system reports it.
struct PortDevice
{
    QString name;        // e.g. "ttyUSB0"
    QString path;        // what gets opened, e.g. "/dev/ttyUSB0"
    QString description; // for people: adapter, maker, or where the name came from

    bool operator==(const PortDevice &) const = default;
};

// Which device stands behind COM1 to COM9, fixed once at start-up.
//
// On Linux the environment variable ZELVORIN_COMn names the device for COMn
// (a pseudo-terminal, a /dev/serial/by-id link, a socat link); set but empty,
// it keeps COMn free. The devices the system reports fill the remaining slots:
// on-board UARTs (ttyS*) first, then adapters, each group in natural name order.
// On Windows COMn is the system's own COMn.
class PortDirectory
{
public:
    static constexpr int FirstNumber = 1;
    static constexpr int LastNumber = 9;
    using Environment = std::function<std::optional<QString>(const QString &name)>;

    PortDirectory() = default; // no devices at all

    // The system's devices fill the slots the environment leaves; when it
    // names all nine, the system is not asked (asking opens some devices).
    static PortDirectory FromSystem();
    // The process environment's value of `name`, if set (even when empty).
    static std::optional<QString> FromEnvironment(const QString &name);
    static PortDirectory Assign(QList<PortDevice> systemDevices, const Environment &environment);
    static QString EnvironmentName(int number);

    std::optional<PortDevice> Device(int number) const;

private:
    std::array<std::optional<PortDevice>, LastNumber> m_slots;
};
