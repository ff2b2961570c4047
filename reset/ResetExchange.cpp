// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResetExchange.h"

#include "printout/PrintoutRenderer.h"
#include "reset/ResetProtocol.h"

using namespace ResetProtocol;
using Phase = ResetListener::Phase;

namespace {

// The port as the reset uses it: every byte that crosses it is told to the listeners.
class Line
{
public:
    Line(ResetHost &host, ResetListener &listener)
        : m_host(host)
        , m_state(host.State())
        , m_port(host.Port())
        , m_listener(listener)
    {}

    // Reads into Chunk. A failed read counts as nothing received: keeping the
    // previous chunk would append it again and again once a device fails.
    bool Read()
    {
        if (!m_port.Read(m_state.Chunk))
            m_state.Chunk.clear();
        return !m_state.Chunk.isEmpty();
    }
    void Write(const QByteArray &bytes)
    {
        if (m_port.Write(bytes))
            m_listener.BytesSent(bytes, m_host.MonotonicNs());
    }
    // Appends the chunk to `into`, up to the bound; true once the data has
    // gone past it, which is more than the bound before the SYN.
    bool Collect(QByteArray &into)
    {
        const qsizetype room = RxLimitBytes - into.size();
        const QByteArrayView kept = QByteArrayView(m_state.Chunk).first(std::min(room, m_state.Chunk.size()));
        into += kept;
        if (!kept.isEmpty())
            m_listener.BytesReceived(kept, m_host.MonotonicNs());
        return m_state.Chunk.size() > room || (into.size() == RxLimitBytes && !into.endsWith(Syn));
    }

private:
    ResetHost &m_host;
    MainWindowState &m_state;
    SerialPort &m_port;
    ResetListener &m_listener;
};

// Waits until nothing has come for QuietMs, keeping what comes meanwhile:
// the rest of an earlier printout (a machine that ignored our last SYN), never
// an answer. False when the line stayed busy for as long as the polls would take.
bool AwaitQuietLine(ResetHost &host, Line &line, ResetListener &listener, ResetRecord &record)
{
    MainWindowState &state = host.State();
    int32_t waitedMs = 0; // before the latest bytes
    state.TickMs = 0;
    host.SetTimerEnabled(true);
    while (state.TickMs < QuietMs && !state.QuitRequested) {
        if (waitedMs + state.TickMs >= QuietWaitLimitMs)
            return false;
        host.PumpEvents(PumpMode::WaitForActivity);
        if (!line.Read())
            continue;
        if (record.tail.isEmpty())
            listener.PhaseChanged(record, Phase::Settling, 0);
        line.Collect(record.tail);
        waitedMs += std::exchange(state.TickMs, 0);
    }
    return true;
}

bool AnyText(const ListEntries &lines)
{
    bool text = false;
    lines.ForEach([&text](QStringView line) { text = text || !line.trimmed().isEmpty(); });
    return text;
}

} // namespace

ResetRecord RunReset(ResetHost &host, ResetListener &listener)
{
    MainWindowState &state = host.State();
    SerialPort &port = host.Port();
    Line line(host, listener);
    ResetRecord record;
    record.began = QDateTime::currentDateTime();

    state.QuitRequested = false;
    host.SetButtonEnabled(false);
    state.Answered = false;
    state.DataEnded = false;
    state.RxBuffer.clear();
    state.Chunk.clear();
    state.Attempts = 0;
    bool cutOff = false;

    // From here on a failing port operation changes nothing and the next step
    // runs; an unusable port shows only as a machine that never answers.
    record.port = host.ChoosePort();
    if (port.IsOpen()) {
        // What the port took in since the last reset, on this same line, is
        // the rest of that printout: kept, not dropped with the close.
        if (port.PortNumber() == record.port.number && line.Read()) {
            listener.PhaseChanged(record, Phase::Settling, 0);
            line.Collect(record.tail);
        }
        port.Close();
    }
    port.SetPortNumber(record.port.number);
    port.SetRts(false);
    port.SetDtr(true);
    port.SetInputLen(0);
    port.SetSettings(QString::fromLatin1(LineSettings));
    port.Open();
    port.SetDtr(true);
    const bool lineBusy = !AwaitQuietLine(host, line, listener, record);

    // Polling: ENQ, then up to half a second for any answer.
    while (!state.Answered && !state.QuitRequested && state.Attempts < PollLimit && !lineBusy) {
        line.Write(QByteArray(1, Enq));
        host.AppendStatusLine(QStringLiteral("*** Sende 05 und Warte"));
        host.PumpEvents();
        state.TickMs = 0;
        ++state.Attempts;
        listener.PhaseChanged(record, Phase::Polling, state.Attempts);
        host.SetTimerEnabled(true);
        while (state.TickMs < AnswerWaitMs && !state.Answered && !state.QuitRequested) {
            host.PumpEvents(PumpMode::WaitForActivity);
            if (line.Read()) {
                state.Answered = true;
                host.SetTimerEnabled(false);
                listener.PhaseChanged(record, Phase::Answered, state.Attempts);
                do {
                    cutOff = line.Collect(state.RxBuffer);
                } while (!cutOff && line.Read());
            }
        }
        if (state.Answered) {
            state.TickMs = 0;
            host.SetTimerEnabled(true);
            while (state.TickMs < PauseMs) // deliberately deaf to a close request
                host.PumpEvents(PumpMode::WaitForActivity);
            host.SetTimerEnabled(false);
            state.CodeString = CodeString();
            line.Write(state.CodeString);
            listener.PhaseChanged(record, Phase::Data, state.Attempts);
            host.AppendStatusLine(QStringLiteral("*** Sende VDAI-Code"));
            host.AppendStatusLine(QStringLiteral("*** Warte auf Daten"));
            host.AppendBlankLine();
        }
    }
    // An answer to the last poll is an answer too: its data is collected.
    record.answered = state.Answered;
    state.Answered = false;

    // Data: everything until the collected data ends with SYN. No time limit;
    // a close request is the way out, and the bound a last resort.
    while (record.answered && !state.DataEnded && !state.QuitRequested && !cutOff) {
        const bool came = line.Read();
        if (came) {
            cutOff = line.Collect(state.RxBuffer);
            state.DataEnded = state.RxBuffer.endsWith(Syn) && !cutOff;
        }
        // Sleep only when nothing came: with the data complete, the answer must not wait.
        host.PumpEvents(came ? PumpMode::ReturnAtOnce : PumpMode::WaitForActivity);
    }
    // Cut short by a close: what the port has taken in meanwhile is kept
    // too, and may be the rest of the printout.
    if (state.QuitRequested && record.answered && !cutOff && !state.DataEnded && line.Read()) {
        cutOff = line.Collect(state.RxBuffer);
        state.DataEnded = state.RxBuffer.endsWith(Syn) && !cutOff;
    }
    record.stop = state.DataEnded       ? Stop{StopCause::MachineSyn}
                  : cutOff              ? Stop{StopCause::Bound}
                  : state.QuitRequested ? host.QuitCause()
                  : lineBusy            ? Stop{StopCause::LineBusy}
                                        : Stop{StopCause::NoAnswer};

    // Closing: SYN even after no answer or a close request, then a grace time.
    line.Write(QByteArray(1, Syn));
    listener.PhaseChanged(record, Phase::Grace, state.Attempts);
    record.received = state.RxBuffer;
    host.PumpEvents();
    host.AppendStatusLine(QStringLiteral("*** Sende 22"));
    if (cutOff)
        host.AppendStatusLine(QStringLiteral("*** Daten nach %1 MiB abgeschnitten").arg(RxLimitBytes >> 20));
    host.PumpEvents();
    state.TickMs = 0;
    host.SetTimerEnabled(true);
    while (state.TickMs < GraceMs && !state.QuitRequested)
        host.PumpEvents(PumpMode::WaitForActivity);
    host.SetTimerEnabled(false);
    port.SetDtr(false); // the port itself stays open until the next reset
    host.PumpEvents();
    // Rendered also when a close cut it short, for the archive's text; shown only when not.
    record.printout = Printout::RenderPrintout(state.RxBuffer, [&host] { host.PumpEvents(); });
    record.hasText = record.answered && AnyText(record.printout);
    if (!state.QuitRequested)
        host.AppendPrintout(record.printout);

    if ((state.Attempts == PollLimit && !record.answered) || lineBusy) {
        host.AppendStatusLine(QStringLiteral("*** FEHLER:"));
        host.AppendStatusLine(QStringLiteral("*** Automat Antwortet nicht"));
        host.AppendBlankLine();
    }
    listener.PhaseChanged(record, Phase::Done, state.Attempts);
    listener.Ended(record);
    host.SetButtonEnabled(true);
    if (state.QuitRequested)
        host.CloseWindow();
    return record;
}
