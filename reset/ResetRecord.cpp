// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResetRecord.h"

QString PortChoice::Label() const
{
    if (device.isEmpty() || device == name)
        return name;
    return QStringLiteral("%1 (%2)").arg(name, device);
}

bool ResetRecord::CutShort() const
{
    switch (stop.cause) {
    case StopCause::Close:
    case StopCause::Cancel:
    case StopCause::Signal:
    case StopCause::TimeLimit:
        return true;
    default:
        return false;
    }
}

QString ResetRecord::Summary() const
{
    QString summary;
    if (!answered) {
        summary = stop.cause == StopCause::LineBusy ? QStringLiteral("%1: Automat antwortet nicht, er sendet noch")
                  : CutShort()                      ? QStringLiteral("%1: abgebrochen, bevor der Automat antwortete")
                                                    : QStringLiteral("%1: Automat antwortet nicht");
        summary = summary.arg(port.Label());
    } else {
        const int ending = Complete() ? 0 : stop.cause == StopCause::Bound ? 1 : 2;
        const QString what[] = {QStringLiteral("Ausdruck erhalten"), QStringLiteral("Ausdruck abgeschnitten"),
                                QStringLiteral("Abgebrochen – Ausdruck unvollständig")};
        const QString kept[] = {QStringLiteral("Ausdruck erhalten und gespeichert: "),
                                QStringLiteral("Ausdruck abgeschnitten und gespeichert: "),
                                QStringLiteral("Abgebrochen – Ausdruck unvollständig gespeichert: ")};
        switch (archive.state) {
        case ArchiveResult::State::Off:
            summary = what[ending] + QStringLiteral(", das Archiv ist abgeschaltet");
            break;
        case ArchiveResult::State::Pending:
            summary = what[ending] + QStringLiteral(" – wird gespeichert …");
            break;
        case ArchiveResult::State::Unfinished:
            summary = what[ending]
                      + QStringLiteral(
                              " – das Archiv wird noch geschrieben; der nächste Start vollendet es aus dem Journal");
            break;
        case ArchiveResult::State::Failed:
            summary = QStringLiteral("Ausdruck nicht gespeichert: %1: %2").arg(archive.failedPath, archive.reason);
            break;
        case ArchiveResult::State::Kept:
            summary = kept[ending] + (archive.textPath.isEmpty() ? archive.binPath : archive.textPath);
            if (!archive.failedPath.isEmpty())
                summary += QStringLiteral("; die Textdatei nicht: %1: %2").arg(archive.failedPath, archive.reason);
            break;
        }
    }
    if (!archive.tailPath.isEmpty())
        summary += QStringLiteral("; Nachlauf einer früheren Rückstellung gespeichert: %1").arg(archive.tailPath);
    return summary;
}
