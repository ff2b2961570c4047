// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimulatedMachine.h"

#include <QStringEncoder>

#include <algorithm>

namespace {

QString HexBytes(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' '));
}

} // namespace

SimulatedMachine::SimulatedMachine(Options options)
    : m_options(std::move(options))
{
    m_options.pieceBytes = std::max(1, m_options.pieceBytes);
    m_options.pieceIntervalMs = std::max(0, m_options.pieceIntervalMs);
    if (m_options.scenario == Scenario::SlowTrickle) {
        m_options.pieceBytes = 1;
        m_options.pieceIntervalMs = std::max(1, m_options.trickleIntervalMs);
    }
    if (!m_options.printingOn.isEmpty()) {
        m_outgoing = m_options.printingOn;
        m_phase = Phase::PrintingOn;
    }
}

QByteArray SimulatedMachine::ExpectedCommand()
{
    // Written out byte by byte: the machine knows its command on its own.
    return QByteArray::fromHex("05 1b 53 3733393230343136 4c4553 2020202020 0a");
}

QByteArray SimulatedMachine::DefaultHeader()
{
    return QByteArrayLiteral("VDAI!");
}

QByteArray SimulatedMachine::DefaultPrintout()
{
    // \x1b is ESC; "ESC K x" and "ESC k x" are printer commands the program strips.
    // Lines fit the machine's 24-column printer, but for a few that overflow.
    const QString text = QStringLiteral("\x1bK1\x1b@äK1F== AUDIT-AUSDRUCK ==\r\n"
                                        "K20Automat Nr.     004711\n"
                                        "Datum  06.12.2026 14:32\n"
                                        "@@@@@@@@@@@@@@@@@@@@@@@@\n"
                                        "Verkäufe seit Löschung:   1.284\n"
                                        "Umsatz:      2.345,60 €\n"
                                        "\x1bk2Bargeld:     1.980,40 €\n"
                                        "Bargeldlos:    365,20 €\n"
                                        "\n"
                                        "äMünzröhren\n"
                                        "  0,10 €:   37 Stück\n"
                                        "  0,20 €:   42 Stück\n"
                                        "  0,50 €:   28 Stück\n"
                                        "  1,00 €:   19 Stück\n"
                                        "  2,00 €:   11 Stück\n"
                                        "äK0ABanknoten\n"
                                        "   5 €: 12  10 €: 7  20 €: 3\n"
                                        "Fächer leer: 3, 7, 12\n"
                                        "Türöffnungen:         17\n"
                                        "Störungen: Münzprüfer 2x, Kühlung 0x\n"
                                        "K3xSchacht 3 geprüft\n"
                                        "ä\n"
                                        "Rückstellung erfolgt\n"
                                        "\x1bK0\r\n");
    QStringEncoder encoder("windows-1252");
    return encoder.encode(text);
}

QByteArray SimulatedMachine::FullTransmission() const
{
    QByteArray all = m_options.header + m_options.printout;
    if (m_options.scenario != Scenario::NoFinalSyn)
        all += Syn;
    return all;
}

void SimulatedMachine::Log(qint64 nowMs, const QString &what)
{
    if (m_log)
        m_log(QStringLiteral("%1 ms: %2").arg(nowMs, 6).arg(what));
}

void SimulatedMachine::Receive(QByteArrayView bytes, qint64 nowMs)
{
    if (bytes.isEmpty())
        return;
    Log(nowMs, QStringLiteral("received %1").arg(HexBytes(bytes)));
    for (const char byte : bytes) {
        if (m_phase == Phase::Done && byte == Enq) { // the next reset
            Log(nowMs, QStringLiteral("new exchange"));
            auto log = std::move(m_log);
            Options next = m_options;
            next.printingOn.clear();
            *this = SimulatedMachine(next);
            m_log = std::move(log);
        }
        switch (m_phase) {
        case Phase::PrintingOn: // still busy with the earlier printout
            break;
        case Phase::AwaitingPolls:
            if (byte != Enq)
                break;
            ++m_polls;
            if (m_options.scenario != Scenario::Silent && m_polls == m_options.answerAtPoll) {
                Log(nowMs, QStringLiteral("answering poll %1").arg(m_polls));
                m_outgoing = m_options.header;
                m_answerAtMs = nowMs + m_options.answerDelayMs;
                m_phase = Phase::ReadingCommand;
            }
            break;
        case Phase::ReadingCommand:
            m_command += byte;
            if (m_command.size() < ExpectedCommand().size())
                break;
            if (m_command == ExpectedCommand()) {
                Log(nowMs, QStringLiteral("command string matched"));
                StartPrinting(nowMs);
            } else {
                Log(nowMs, QStringLiteral("command string did NOT match: %1").arg(HexBytes(m_command)));
                m_phase = Phase::Refused;
            }
            break;
        case Phase::Printing:
        case Phase::AwaitingSyn:
            if (byte == Syn) {
                Log(nowMs, m_phase == Phase::AwaitingSyn ? QStringLiteral("SYN answer received, done")
                                                         : QStringLiteral("SYN while printing, stopped"));
                m_phase = Phase::Done;
            }
            break;
        case Phase::Done:
        case Phase::HungUp:
        case Phase::Refused:
            break;
        }
    }
}

void SimulatedMachine::StartPrinting(qint64 nowMs)
{
    m_outgoing = m_options.header + m_options.printout;
    if (m_options.scenario != Scenario::NoFinalSyn)
        m_outgoing += Syn;
    m_printStartMs = nowMs;
    m_phase = Phase::Printing;
}

QByteArray SimulatedMachine::Transmit(qint64 nowMs)
{
    if (m_phase == Phase::PrintingOn) {
        const qint64 pieces = m_options.pieceIntervalMs == 0 ? m_outgoing.size() : nowMs / m_options.pieceIntervalMs;
        const QByteArray out = m_outgoing.mid(
                m_released, std::min<qint64>(m_outgoing.size(), pieces * m_options.pieceBytes) - m_released);
        m_released += out.size();
        m_sentEarlier += out;
        if (m_released == m_outgoing.size()) {
            Log(nowMs, QStringLiteral("done with the earlier printout"));
            m_outgoing.clear();
            m_released = 0;
            m_phase = Phase::AwaitingPolls;
        }
        return out;
    }
    qsizetype available = m_released;
    if (m_phase == Phase::ReadingCommand) {
        available = nowMs >= m_answerAtMs ? m_outgoing.size() : m_released;
    } else if (m_phase == Phase::Printing) {
        const qint64 pieces = m_options.pieceIntervalMs == 0
                                      ? m_outgoing.size()
                                      : std::max<qint64>(0, (nowMs - m_printStartMs) / m_options.pieceIntervalMs);
        available = std::min<qint64>(m_outgoing.size(), m_options.header.size() + pieces * m_options.pieceBytes);
        if (m_options.scenario == Scenario::HangUpInData)
            available = std::min<qsizetype>(available, m_options.header.size() + m_options.printout.size() / 2);
    }
    const QByteArray out = m_outgoing.mid(m_released, available - m_released);
    m_released = available;
    m_sent += out;

    if (m_phase == Phase::Printing) {
        if (m_options.scenario == Scenario::HangUpInData
            && m_released == m_options.header.size() + m_options.printout.size() / 2) {
            Log(nowMs, QStringLiteral("hanging up after %1 bytes").arg(m_released));
            m_phase = Phase::HungUp;
        } else if (m_released == m_outgoing.size()) {
            Log(nowMs, QStringLiteral("printout sent (%1 bytes)").arg(m_released));
            m_phase = Phase::AwaitingSyn;
        }
    }
    return out;
}

std::optional<qint64> SimulatedMachine::NextTransmitMs() const
{
    if (m_phase == Phase::PrintingOn)
        return (m_released / m_options.pieceBytes + 1) * m_options.pieceIntervalMs;
    if (m_phase == Phase::ReadingCommand && m_released < m_outgoing.size())
        return m_answerAtMs;
    if (m_phase != Phase::Printing)
        return std::nullopt;
    const qint64 piecesOut = (m_released - m_options.header.size()) / m_options.pieceBytes;
    return m_printStartMs + (piecesOut + 1) * m_options.pieceIntervalMs;
}
