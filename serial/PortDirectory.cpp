// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortDirectory.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <tuple>
#include <unistd.h>

namespace {

QString EnvironmentDescription(int number)
{
    return QStringLiteral("festgelegt durch %1").arg(PortDirectory::EnvironmentName(number));
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

QList<PortDevice> ListSystemDevices()
{
    QList<PortDevice> devices;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        devices.append({info.portName(), QFile::encodeName(info.systemLocation()),
                        PortDirectory::SystemDescription(info.description(), info.manufacturer())});
    }
    return devices;
}

} // namespace

QString PortDevice::ShownPath() const
{
    return QFile::decodeName(path);
}

QString PortDirectory::EnvironmentName(int number)
{
    return QStringLiteral("ZELVORIN_COM%1").arg(number);
}

std::optional<QByteArray> PortDirectory::FromEnvironment(const QString &name)
{
    const QByteArray key = name.toLatin1();
    if (!qEnvironmentVariableIsSet(key.constData()))
        return std::nullopt;
    return qgetenv(key.constData());
}

QByteArray PortDirectory::CanonicalPath(const QByteArray &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : path;
}

QByteArray PortDirectory::ResolvePath(const QByteArray &name)
{
    if (name.startsWith('/'))
        return name;
    if (name.startsWith("./") || name.startsWith("../")) {
        char folder[PATH_MAX];
        if (::getcwd(folder, sizeof folder) != nullptr)
            return QByteArray(folder) + '/' + (name.startsWith("./") ? name.mid(2) : name);
        return name;
    }
    return "/dev/" + name;
}

QString PortDirectory::SystemDescription(const QString &description, const QString &manufacturer)
{
    QStringList parts;
    if (!description.isEmpty())
        parts << description;
    if (!manufacturer.isEmpty() && manufacturer != description)
        parts << manufacturer;
    return parts.join(QStringLiteral(", "));
}

PortDirectory PortDirectory::FromSystem()
{
    return Assign(&ListSystemDevices, &PortDirectory::FromEnvironment);
}

PortDirectory PortDirectory::Assign(const SystemDevices &system, const Environment &environment)
{
    PortDirectory directory;
    QList<QByteArray> named; // canonical paths, so a by-id link does not show its device twice
    std::array<bool, LastNumber> reserved{};

    for (int number = FirstNumber; number <= LastNumber; ++number) {
        const std::optional<QByteArray> value = environment(EnvironmentName(number));
        if (!value)
            continue;
        reserved[number - 1] = true;
        if (value->isEmpty())
            continue;
        const QByteArray path = ResolvePath(*value);
        directory.m_slots[number - 1] = PortDevice{QFileInfo(QFile::decodeName(path)).fileName(), path,
                                                   EnvironmentDescription(number)};
        named << CanonicalPath(path);
    }

    if (std::find(reserved.cbegin(), reserved.cend(), false) == reserved.cend())
        return directory;
    QList<PortDevice> systemDevices = system();
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

void PortDirectory::SetDevice(int number, const PortDevice &device)
{
    m_slots.at(number - 1) = device; // callers name COM1 to COM9 only
}
