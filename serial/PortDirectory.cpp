#include "PortDirectory.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>
#include <tuple>

namespace {

QString EnvironmentDescription(int number)
{
    return QStringLiteral("named by %1").arg(PortDirectory::EnvironmentName(number));
}

QString SystemDescription(const QSerialPortInfo &info)
{
    QStringList parts;
    if (!info.description().isEmpty())
        parts << info.description();
    if (!info.manufacturer().isEmpty() && info.manufacturer() != info.description())
        parts << info.manufacturer();
    return parts.join(QStringLiteral(", "));
}

// "ttyS10" -> ("ttyS", 10) so that ttyS2 sorts before ttyS10.
std::tuple<bool, QString, qulonglong, QString> SortKey(const PortDevice &device)
{
    const QString &name = device.name;
    qsizetype digits = name.size();
    while (digits > 0 && name.at(digits - 1).isDigit())
        --digits;
    const QString stem = name.left(digits);
    const qulonglong number = name.mid(digits).toULongLong();
    const bool onBoard = stem == u"ttyS";
    return {!onBoard, stem, number, name};
}

QString CanonicalPath(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

QString PortDirectory::EnvironmentName(int number)
{
    return QStringLiteral("ZELVORIN_COM%1").arg(number);
}

std::optional<QString> PortDirectory::FromEnvironment(const QString &name)
{
    const QByteArray key = name.toLatin1();
    if (!qEnvironmentVariableIsSet(key.constData()))
        return std::nullopt;
    return qEnvironmentVariable(key.constData());
}

PortDirectory PortDirectory::FromSystem()
{
#ifdef Q_OS_WIN
    // COMn is the system's own COMn there.
    PortDirectory directory;
    const auto infos = QSerialPortInfo::availablePorts();
    for (int number = FirstNumber; number <= LastNumber; ++number) {
        const QString name = QStringLiteral("COM%1").arg(number);
        const auto found = std::find_if(infos.cbegin(), infos.cend(),
                                        [&](const QSerialPortInfo &info) { return info.portName() == name; });
        directory.m_slots[number - 1] =
            PortDevice{name, name, found != infos.cend() ? SystemDescription(*found) : QString()};
    }
    return directory;
#else
    bool allNamed = true;
    for (int number = FirstNumber; number <= LastNumber; ++number)
        allNamed = allNamed && FromEnvironment(EnvironmentName(number)).has_value();

    QList<PortDevice> devices;
    if (!allNamed) {
        const auto infos = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : infos)
            devices.append({info.portName(), info.systemLocation(), SystemDescription(info)});
    }
    return Assign(devices, &PortDirectory::FromEnvironment);
#endif
}

PortDirectory PortDirectory::Assign(QList<PortDevice> systemDevices, const Environment &environment)
{
    PortDirectory directory;
    QStringList named; // canonical paths, so a by-id link does not show its device twice
    std::array<bool, LastNumber> reserved{};

    for (int number = FirstNumber; number <= LastNumber; ++number) {
        const std::optional<QString> path = environment(EnvironmentName(number));
        if (!path)
            continue;
        reserved[number - 1] = true;
        if (path->isEmpty())
            continue;
        directory.m_slots[number - 1] =
            PortDevice{QFileInfo(*path).fileName(), *path, EnvironmentDescription(number)};
        named << CanonicalPath(*path);
    }

    std::sort(systemDevices.begin(), systemDevices.end(),
              [](const PortDevice &a, const PortDevice &b) { return SortKey(a) < SortKey(b); });

    int next = 0;
    for (const PortDevice &device : std::as_const(systemDevices)) {
        if (named.contains(CanonicalPath(device.path)))
            continue;
        while (next < LastNumber && reserved[next])
            ++next;
        if (next == LastNumber)
            break; // all nine are taken
        directory.m_slots[next] = device;
        reserved[next] = true;
    }
    return directory;
}

std::optional<PortDevice> PortDirectory::Device(int number) const
{
    if (number < FirstNumber || number > LastNumber)
        return std::nullopt;
    return m_slots[number - 1];
}
