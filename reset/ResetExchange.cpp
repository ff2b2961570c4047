// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResetExchange.h"

#include "printout/PrintoutRenderer.h"

#include <chrono>
#include <cstdio>
#include <future>

using namespace ResetProtocol;

namespace {

// How long a wait for the archive blocks before the window gets its turn.
constexpr std::chrono::milliseconds ArchiveWaitSlice{10};

// A failed read counts as nothing received: keeping the previous chunk would
// append it again and again once a device fails mid-reset.
void ReadChunk(SerialPort &port, MainWindowState &state)
{
    if (!port.Read(state.Chunk))
        state.Chunk.clear();
}

// Appends the chunk to what was received, up to the bound; true once the
// bound is reached.
bool Collect(MainWindowState &state)
{
    const qsizetype room = RxLimitBytes - state.RxBuffer.size();
    state.RxBuffer += QByteArrayView(state.Chunk).first(std::min(room, state.Chunk.size()));
    return state.RxBuffer.size() >= RxLimitBytes;
}

void AppendLines(PrintoutList &list, std::initializer_list<const char *> lines)
{
    for (const char *line : lines)
        list.AppendLine(QString::fromUtf8(line));
}

// Writes what this reset received to the archive, on a thread of its own so
// that the window keeps answering, and waits for it. Returns the status line
// that tells of a failure, or nothing.
QString KeepReceived(ResetHost &host, bool complete)
{
    const PrintoutArchive &archive = host.Archive();
    const QByteArray &received = host.State().RxBuffer;
    if (!archive.IsEnabled() || received.isEmpty())
        return QString();
    auto pending = std::async(std::launch::async, [&archive, &received, port = host.PortName(), complete] {
        return archive.Keep(received, port, QDateTime::currentDateTime(), complete);
    });
    while (pending.wait_for(ArchiveWaitSlice) != std::future_status::ready)
        host.PumpEvents();
    const PrintoutArchive::Outcome outcome = pending.get();
    if (outcome.kept)
        return QString();
    std::fprintf(stderr, "zelvorin: Ausdruck nicht gespeichert: %s\n", qPrintable(outcome.detail));
    return QStringLiteral("*** Ausdruck nicht gespeichert: ") + outcome.reason;
}

} // namespace

QByteArray ResetProtocol::CodeString()
{
    return QByteArray() + Enq + Esc + "S" + "73920416" + "LES" + "     " + Lf;
}

int16_t ResetProtocol::PortNumberOf(const QString &selectorText)
{
    if (selectorText.isEmpty())
        return 0;
    const QChar last = selectorText.back();
    return last >= u'1' && last <= u'9' ? static_cast<int16_t>(last.unicode() - u'0') : 0;
}

void RunReset(ResetHost &host)
{
    MainWindowState &state = host.State();
    SerialPort &port = host.Port();

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
    if (port.IsOpen())
        port.Close();
    port.SetPortNumber(PortNumberOf(host.SelectorText()));
    port.SetRts(false);
    port.SetDtr(true);
    port.SetInputLen(0);
    port.SetSettings(QString::fromLatin1(ResetProtocol::LineSettings));
    port.Open();
    port.SetDtr(true);

    // Polling: ENQ, then up to half a second for any answer.
    while (!state.Answered && !state.QuitRequested && state.Attempts < PollLimit) {
        port.Write(QByteArray(1, Enq));
        AppendLines(host, {"*** Sende 05 und Warte"});
        host.PumpEvents();
        state.TickMs = 0;
        ++state.Attempts;
        host.SetTimerEnabled(true);
        while (state.TickMs < AnswerWaitMs && !state.Answered && !state.QuitRequested) {
            host.PumpEvents(PumpMode::WaitForActivity);
            ReadChunk(port, state);
            if (!state.Chunk.isEmpty()) {
                state.Answered = true;
                host.SetTimerEnabled(false);
                do {
                    cutOff = Collect(state);
                    ReadChunk(port, state);
                } while (!state.Chunk.isEmpty() && !cutOff);
            }
        }
        if (state.Answered) {
            state.TickMs = 0;
            host.SetTimerEnabled(true);
            while (state.TickMs < PauseMs) // deliberately deaf to a close request
                host.PumpEvents(PumpMode::WaitForActivity);
            host.SetTimerEnabled(false);
            state.CodeString = CodeString();
            port.Write(state.CodeString);
            AppendLines(host, {"*** Sende VDAI-Code", "*** Warte auf Daten", ""});
        }
    }
    // An answer to the last poll is an answer too: its data is collected.
    const bool machineAnswered = state.Answered;
    state.Answered = false;

    // Data: everything until the collected data ends with SYN. No time limit;
    // a close request is the way out, and the bound a last resort.
    while (!state.DataEnded && !state.QuitRequested && machineAnswered && !cutOff) {
        ReadChunk(port, state);
        if (!state.Chunk.isEmpty()) {
            cutOff = Collect(state);
            if (state.RxBuffer.endsWith(Syn))
                state.DataEnded = true;
        }
        // Sleep only when nothing came: with the data complete, the answer must not wait.
        host.PumpEvents(state.Chunk.isEmpty() ? PumpMode::WaitForActivity : PumpMode::ReturnAtOnce);
    }
    // Cut short by a close: what the port has taken in meanwhile is kept too.
    if (state.QuitRequested && machineAnswered && !cutOff) {
        ReadChunk(port, state);
        cutOff = Collect(state);
    }

    // Closing: SYN even after no answer or a close request, then a grace time.
    port.Write(QByteArray(1, Syn));
    const QString notKept = KeepReceived(host, state.DataEnded || cutOff);
    host.PumpEvents();
    AppendLines(host, {"*** Sende 22"});
    if (cutOff)
        host.AppendLine(QStringLiteral("*** Daten nach %1 MiB abgeschnitten").arg(RxLimitBytes >> 20));
    host.PumpEvents();
    state.TickMs = 0;
    host.SetTimerEnabled(true);
    while (state.TickMs < GraceMs && !state.QuitRequested)
        host.PumpEvents(PumpMode::WaitForActivity);
    host.SetTimerEnabled(false);
    port.SetDtr(false); // the port itself stays open until the next reset
    host.PumpEvents();
    if (!state.QuitRequested) {
        RenderPrintout(state.RxBuffer, host);
        if (!notKept.isEmpty())
            host.AppendLine(notKept);
    }

    if (state.Attempts == PollLimit && !machineAnswered)
        AppendLines(host, {"*** FEHLER:", "*** Automat Antwortet nicht", ""});
    host.SetButtonEnabled(true);
    if (state.QuitRequested)
        host.CloseWindow();
}
