// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortDiagnostics.h"

#include <QStringList>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace {

// Groups that give far more than a serial port: never advise joining them.
const QStringList PowerfulGroups = {QStringLiteral("root"), QStringLiteral("wheel"), QStringLiteral("sudo"),
                                    QStringLiteral("adm")};

DeviceAccess AccessOf(const QByteArray &path)
{
    struct stat info
    {};
    if (::stat(path.constData(), &info) != 0)
        return {};
    const passwd *user = ::getpwuid(info.st_uid);
    const group *owners = ::getgrgid(info.st_gid);
    return {user ? QString::fromLocal8Bit(user->pw_name) : QString::number(info.st_uid),
            owners ? QString::fromLocal8Bit(owners->gr_name) : QString::number(info.st_gid),
            static_cast<uint>(info.st_mode & 0777)};
}

bool ReadWrite(uint mode, int shift)
{
    return (mode >> shift & 6) == 6;
}

} // namespace

QString PermissionAdvice(const DeviceAccess &access)
{
    if (ReadWrite(access.mode, 3) && !PowerfulGroups.contains(access.group))
        return QStringLiteral("keine Berechtigung. Lesen und schreiben dürfen die Mitglieder der Gruppe %1; "
                              "beitreten mit »sudo usermod -aG %1 $USER«, danach ab- und wieder anmelden.")
                .arg(access.group);
    QStringList who;
    if (ReadWrite(access.mode, 6))
        who << QStringLiteral("der Eigentümer %1").arg(access.owner);
    if (ReadWrite(access.mode, 3))
        who << QStringLiteral("die Gruppe %1").arg(access.group);
    if (who.isEmpty())
        who << QStringLiteral("root");
    return QStringLiteral("keine Berechtigung. Lesen und schreiben dürfen nur %1 (Rechte %2). Eine udev-Regel "
                          "kann das Gerät einer Gruppe wie dialout geben; ein Beispiel steht in der README.")
            .arg(who.join(QStringLiteral(" und ")))
            .arg(access.mode, 4, 8, QChar(u'0'));
}

QString OpenProblem(const PortDevice &device, const OpenError &error)
{
    switch (error.kind) {
    case OpenError::Kind::None:
        return QString();
    case OpenError::Kind::PermissionDenied:
        return PermissionAdvice(AccessOf(device.path));
    case OpenError::Kind::Busy:
        return QStringLiteral("belegt, ein anderes Programm verwendet die Schnittstelle.");
    case OpenError::Kind::NoDevice:
        return QStringLiteral("das Gerät gibt es nicht.");
    case OpenError::Kind::Other:
        break;
    }
    return error.text;
}

QString PortDiagnostic(const QString &port, const PortDevice &device, const OpenError &error)
{
    return QStringLiteral("zelvorin: %1 lässt sich nicht öffnen: %2").arg(port, OpenProblem(device, error));
}
