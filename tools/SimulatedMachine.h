// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <functional>
#include <optional>

// The machine's side of a reset, driven by the bytes it receives and by a
// clock it is told: no I/O of its own, so a test can run it against a fake
// port and a simulated clock, and a program can put it on a pseudo-terminal.
class SimulatedMachine
{
public:
    enum class Scenario {
        Normal,       // answer poll k, print, end with SYN, wait for the SYN answer, then the next reset
        Silent,       // never answer
        NoFinalSyn,   // print, but never send the final SYN
        HangUpInData, // drop the line half-way through the printout
        SlowTrickle,  // print one byte at a time, slowly
    };

    struct Options
    {
        Scenario scenario = Scenario::Normal;
        int answerAtPoll = 3;  // answer the k-th ENQ
        int answerDelayMs = 0; // this long after it
        QByteArray header = DefaultHeader();
        QByteArray printout = DefaultPrintout();
        int pieceBytes = 32;        // about the pace of 9600 baud:
        int pieceIntervalMs = 33;   // 960 bytes a second
        int trickleIntervalMs = 20; // SlowTrickle: one byte this often
        // The rest of an earlier printout, still being sent at the start, at
        // the pace above, deaf to polls meanwhile.
        QByteArray printingOn;
    };

    enum class Phase { PrintingOn, AwaitingPolls, ReadingCommand, Printing, AwaitingSyn, Done, HungUp, Refused };

    static constexpr char Enq = 5;
    static constexpr char Syn = 22;

    explicit SimulatedMachine(Options options);
    SimulatedMachine()
        : SimulatedMachine(Options{})
    {}

    // Bytes the PC sent, at `nowMs` on the caller's clock.
    void Receive(QByteArrayView bytes, qint64 nowMs);
    // Everything the machine sends by `nowMs`.
    QByteArray Transmit(qint64 nowMs);
    // When Transmit will next have something, if ever on its own.
    std::optional<qint64> NextTransmitMs() const;

    Phase CurrentPhase() const { return m_phase; }
    bool HungUp() const { return m_phase == Phase::HungUp; }
    int PollsSeen() const { return m_polls; }
    // Everything sent in this exchange, with the final SYN if there was one.
    QByteArray Sent() const { return m_sent; }
    // What it sent of the earlier printout before this exchange.
    QByteArray SentEarlier() const { return m_sentEarlier; }
    // What this machine sends in a whole exchange: answer, printout, SYN.
    QByteArray FullTransmission() const;

    // One line per happening: what came, when, and whether the command matched.
    void SetLog(std::function<void(const QString &)> log) { m_log = std::move(log); }

    static QByteArray ExpectedCommand();
    static QByteArray DefaultHeader();
    // A German audit printout in Windows-1252, with escape sequences, "ä" and
    // "K" line prefixes, "@" fillers, long lines, umlauts and "€".
    static QByteArray DefaultPrintout();

private:
    void Log(qint64 nowMs, const QString &what);
    void StartPrinting(qint64 nowMs);

    Options m_options;
    Phase m_phase = Phase::AwaitingPolls;
    QByteArray m_sentEarlier;
    int m_polls = 0;
    QByteArray m_command;
    QByteArray m_outgoing;    // what the machine will send, in order
    qsizetype m_released = 0; // how much of m_outgoing has been handed out
    qint64 m_answerAtMs = 0;
    qint64 m_printStartMs = 0;
    QByteArray m_sent;
    std::function<void(const QString &)> m_log;
};
