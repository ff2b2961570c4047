// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reset/ResetListener.h"

#include <QString>

// How far a reset has come, from what it reports, in one line for people:
// "COM5: rufe den Automaten (Versuch 3 von 20)", "Empfange Ausdruck: 14,2 kB,
// 312 Zeilen – letzte Daten vor 2 s". The window's status line and the
// terminal's progress line show it.
class ResetProgress final : public ResetListener
{
public:
    void PhaseChanged(const ResetRecord &reset, Phase phase, int attempt) override;
    void BytesReceived(QByteArrayView bytes, qint64 atNs) override;

    Phase CurrentPhase() const { return m_phase; }
    // The line as it stands at `nowNs`, on the clock the bytes are stamped with.
    QString Text(qint64 nowNs) const;

private:
    Phase m_phase = Phase::Done;
    QString m_port;
    int m_attempt{};
    qsizetype m_bytes{}; // of the printout, since the command string
    qsizetype m_lines{};
    qint64 m_lastDataNs{};
    bool m_afterCr{}; // the last byte was a CR, so an LF now ends no other line
};
