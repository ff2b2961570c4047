// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResetExchange.h"

#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"
#include "reset/SynOnExit.h"

#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <future>

using namespace ResetProtocol;

namespace {

// A failed read counts as nothing received: keeping the previous chunk would
// append it again and again once a device fails mid-reset.
void ReadChunk(SerialPort &port, MainWindowState &state)
{
    if (!port.Read(state.Chunk))
        state.Chunk.clear();
}

// Appends the chunk to what was received, up to the bound; true once the
// data has gone past it, which is more than the bound before the SYN.
bool Collect(MainWindowState &state)
{
    const qsizetype room = RxLimitBytes - state.RxBuffer.size();
    state.RxBuffer += QByteArrayView(state.Chunk).first(std::min(room, state.Chunk.size()));
    return state.Chunk.size() > room || (state.RxBuffer.size() == RxLimitBytes && !state.RxBuffer.endsWith(Syn));
}

void AppendLines(PrintoutList &list, std::initializer_list<const char *> lines)
{
    for (const char *line : lines)
        list.AppendLine(QString::fromUtf8(line));
}

// Blocks until `work` is done on a thread of its own, while the window keeps
// answering: it gets a turn every tick.
template<typename Work>
auto AwaitWork(ResetHost &host, Work work)
{
    auto pending = std::async(std::launch::async, std::move(work));
    while (pending.wait_for(std::chrono::milliseconds(TickIntervalMs)) != std::future_status::ready)
        host.PumpEvents();
    return pending.get();
}

// Fills in what the archive kept of the reset, and what its text holds.
void KeepReceived(ResetHost &host, ResetRecord &record, ReceivedFile *file)
{
    const ReceivedFile::Ending ending = record.dataEnd == ResetRecord::DataEnd::Syn ? ReceivedFile::Ending::Complete
                                        : record.dataEnd == ResetRecord::DataEnd::CutOff
                                                ? ReceivedFile::Ending::CutOff
                                                : ReceivedFile::Ending::Incomplete;
    const auto [outcome, copy] = AwaitWork(host, [&record, file, ending] {
        std::pair<ArchiveOutcome, Printout::Copy> kept;
        if (file != nullptr)
            kept.first = file->KeepBytes(record.received, ending);
        if (record.lines.isEmpty())
            return kept;
        kept.second = Printout::ClipboardText(record.lines);
        if (file != nullptr && !kept.first.Failed())
            file->KeepText(kept.second.text.toUtf8(), kept.first);
        return kept;
    });
    record.archive = outcome;
    record.hasText = copy.hasText;
    record.fileBase = file != nullptr && !file->Base().isEmpty()
                              ? file->Base()
                              : PrintoutArchive::FileStem(record.began, record.portName)
                                        + QLatin1StringView(ReceivedFile::Mark(ending));
    if (outcome.Failed())
        std::fprintf(stderr, "zelvorin: Ausdruck nicht gespeichert: %s\n", qPrintable(outcome.detail));
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

ResetRecord RunReset(ResetHost &host)
{
    MainWindowState &state = host.State();
    SerialPort &port = host.Port();
    ResetRecord record;
    record.portName = host.PortName();
    record.device = host.DevicePath();
    record.began = QDateTime::currentDateTime();
    record.archiveEnabled = host.Archive().IsEnabled();
    std::unique_ptr<ReceivedFile> file;
    std::unique_ptr<SynOnExit> synOnExit;
    qsizetype filed = 0; // bytes of RxBuffer handed to the file

    state.QuitRequested = false;
    host.SetButtonEnabled(false);
    state.Answered = false;
    state.DataEnded = false;
    state.RxBuffer.clear();
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
    // Bytes from before this reset (the tail of an earlier printout, or what
    // a machine sent after our last SYN) are no answer to its first poll.
    port.Discard();
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
            // From now on every byte reaches the disk as it comes.
            if (record.archiveEnabled) {
                file = std::make_unique<ReceivedFile>(host.Archive(),
                                                      PrintoutArchive::FileStem(record.began, record.portName));
                file->Append(state.RxBuffer);
                filed = state.RxBuffer.size();
            }
            state.TickMs = 0;
            host.SetTimerEnabled(true);
            while (state.TickMs < PauseMs) // deliberately deaf to a close request
                host.PumpEvents(PumpMode::WaitForActivity);
            host.SetTimerEnabled(false);
            state.CodeString = CodeString();
            port.Write(state.CodeString);
            synOnExit = std::make_unique<SynOnExit>(port.Descriptor(), file.get());
            AppendLines(host, {"*** Sende VDAI-Code", "*** Warte auf Daten", ""});
        }
    }
    // An answer to the last poll is an answer too: its data is collected.
    record.answered = state.Answered;
    state.Answered = false;

    // Data: everything until the collected data ends with SYN. No time limit;
    // a close request is the way out, and the bound a last resort.
    while (!state.DataEnded && !state.QuitRequested && record.answered && !cutOff) {
        ReadChunk(port, state);
        if (!state.Chunk.isEmpty()) {
            cutOff = Collect(state);
            if (state.RxBuffer.endsWith(Syn) && !cutOff)
                state.DataEnded = true;
            else if (file) // the last piece waits until the SYN is out
                file->Append(QByteArrayView(state.RxBuffer).sliced(std::exchange(filed, state.RxBuffer.size())));
        }
        // Sleep only when nothing came: with the data complete, the answer must not wait.
        host.PumpEvents(state.Chunk.isEmpty() ? PumpMode::WaitForActivity : PumpMode::ReturnAtOnce);
    }
    // Cut short by a close: what the port has taken in meanwhile is kept
    // too, and may be the rest of the printout.
    if (state.QuitRequested && record.answered && !cutOff && !state.DataEnded) {
        ReadChunk(port, state);
        cutOff = Collect(state);
        state.DataEnded = state.RxBuffer.endsWith(Syn) && !cutOff;
    }
    record.cutShort = state.QuitRequested;

    // Closing: SYN even after no answer or a close request, then a grace time.
    port.Write(QByteArray(1, Syn));
    synOnExit.reset();
    if (file)
        file->Append(QByteArrayView(state.RxBuffer).sliced(filed));
    record.received = state.RxBuffer;
    record.dataEnd = !record.answered  ? ResetRecord::DataEnd::None
                     : state.DataEnded ? ResetRecord::DataEnd::Syn
                     : cutOff          ? ResetRecord::DataEnd::CutOff
                                       : ResetRecord::DataEnd::Stopped;
    host.PumpEvents();
    AppendLines(host, {"*** Sende 22"});
    if (cutOff)
        host.AppendLine(QStringLiteral("*** Daten nach %1 MiB abgeschnitten").arg(RxLimitBytes >> 20));
    // Rendered now, for the archive's text, and shown after the grace time.
    if (!state.QuitRequested || state.DataEnded)
        record.lines = Printout::RenderPrintout(state.RxBuffer, [&host] { host.PumpEvents(); });
    KeepReceived(host, record, file.get());
    host.PumpEvents();
    state.TickMs = 0;
    host.SetTimerEnabled(true);
    while (state.TickMs < GraceMs && !state.QuitRequested)
        host.PumpEvents(PumpMode::WaitForActivity);
    host.SetTimerEnabled(false);
    port.SetDtr(false); // the port itself stays open until the next reset
    host.PumpEvents();
    if (!state.QuitRequested) {
        host.AppendPrintout(record.lines);
        if (record.archive.Failed())
            host.AppendLine(QStringLiteral("*** Ausdruck nicht gespeichert: %1: %2")
                                    .arg(QFileInfo(record.archive.failedPath).fileName(), record.archive.reason));
    }

    if (state.Attempts == PollLimit && !record.answered)
        AppendLines(host, {"*** FEHLER:", "*** Automat Antwortet nicht", ""});
    host.SetButtonEnabled(true);
    if (state.QuitRequested)
        host.CloseWindow();
    return record;
}
