#include "PortDiagnostics.h"

QString PortDiagnostic(int number, const PortDevice &device, const OpenError &error, const QString &group)
{
    const QString port = QStringLiteral("zelvorin: COM%1 (%2) lässt sich nicht öffnen: ").arg(number).arg(device.path);
    switch (error.kind) {
    case OpenError::Kind::None:
        return QString();
    case OpenError::Kind::PermissionDenied: {
        const QString owner = group.isEmpty() ? QStringLiteral("dialout") : group;
        return port
            + QStringLiteral("keine Berechtigung. Das Gerät gehört der Gruppe %1; beitreten mit "
                             "»sudo usermod -aG %1 $USER«, danach ab- und wieder anmelden.")
                  .arg(owner);
    }
    case OpenError::Kind::Busy:
        return port + QStringLiteral("belegt, ein anderes Programm verwendet die Schnittstelle.");
    case OpenError::Kind::NoDevice:
        return port + QStringLiteral("das Gerät gibt es nicht.");
    case OpenError::Kind::Other:
        break;
    }
    return port + error.text;
}
