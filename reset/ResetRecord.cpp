// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResetRecord.h"

#include <QFileInfo>

QString ResetRecord::PortLabel(const QString &portName, const QString &device)
{
    if (device.isEmpty() || device == portName)
        return portName;
    return QStringLiteral("%1 (%2)").arg(portName, device);
}

QString ResetRecord::Summary() const
{
    if (!answered)
        return (cutShort ? QStringLiteral("%1: abgebrochen, bevor der Automat antwortete")
                         : QStringLiteral("%1: Automat antwortet nicht"))
                .arg(PortLabel(portName, device));
    if (archive.Failed())
        return QStringLiteral("Ausdruck nicht gespeichert: %1: %2")
                .arg(QFileInfo(archive.failedPath).fileName(), archive.reason);
    const QString kept = QFileInfo(archive.textPath.isEmpty() ? archive.binPath : archive.textPath).fileName();
    switch (dataEnd) {
    case DataEnd::Syn:
        return archiveEnabled ? QStringLiteral("Ausdruck erhalten und gespeichert: %1").arg(kept)
                              : QStringLiteral("Ausdruck erhalten, das Archiv ist abgeschaltet");
    case DataEnd::CutOff:
        return archiveEnabled ? QStringLiteral("Ausdruck abgeschnitten und gespeichert: %1").arg(kept)
                              : QStringLiteral("Ausdruck abgeschnitten, das Archiv ist abgeschaltet");
    default:
        return archiveEnabled ? QStringLiteral("Abgebrochen – Ausdruck unvollständig gespeichert: %1").arg(kept)
                              : QStringLiteral("Abgebrochen – Ausdruck unvollständig, das Archiv ist abgeschaltet");
    }
}
