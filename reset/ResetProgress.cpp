// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResetProgress.h"

#include "reset/ResetProtocol.h"
#include "reset/ResetRecord.h"

#include <QLocale>

namespace {

constexpr qint64 NsPerSecond = 1'000'000'000;

QString Size(qsizetype bytes)
{
    if (bytes < 1000)
        return bytes == 1 ? QStringLiteral("1 Byte") : QStringLiteral("%1 Bytes").arg(bytes);
    return QLocale(QLocale::German).toString(bytes / 1000.0, 'f', 1) + QStringLiteral(" kB");
}

} // namespace

void ResetProgress::PhaseChanged(const ResetRecord &reset, Phase phase, int attempt)
{
    m_phase = phase;
    m_port = reset.port.name;
    m_attempt = attempt;
    m_bytes = 0; // counted in the data phase alone
    m_lines = 0;
    m_afterCr = false;
}

void ResetProgress::BytesReceived(QByteArrayView bytes, qint64 atNs)
{
    m_lastDataNs = atNs;
    if (m_phase != Phase::Data)
        return;
    m_bytes += bytes.size();
    // A line ends at LF, or at a CR that no LF follows.
    for (const char c : bytes) {
        m_lines += c == ResetProtocol::Lf ? !m_afterCr : c == '\r';
        m_afterCr = c == '\r';
    }
}

QString ResetProgress::Text(qint64 nowNs) const
{
    switch (m_phase) {
    case Phase::Settling:
        return QStringLiteral("Der Automat sendet noch …");
    case Phase::Polling:
        return QStringLiteral("%1: rufe den Automaten (Versuch %2 von %3)")
                .arg(m_port)
                .arg(m_attempt)
                .arg(ResetProtocol::PollLimit);
    case Phase::Answered:
        return QStringLiteral("%1: Automat hat geantwortet").arg(m_port);
    case Phase::Data:
        if (m_bytes == 0)
            return QStringLiteral("%1: Automat hat geantwortet, warte auf den Ausdruck").arg(m_port);
        return QStringLiteral("Empfange Ausdruck: %1, %2 – letzte Daten vor %3 s")
                .arg(Size(m_bytes), m_lines == 1 ? QStringLiteral("1 Zeile") : QStringLiteral("%1 Zeilen").arg(m_lines))
                .arg((nowNs - m_lastDataNs) / NsPerSecond);
    case Phase::Grace:
    case Phase::Done:
        break;
    }
    return QStringLiteral("%1: Rückstellung wird beendet").arg(m_port);
}
