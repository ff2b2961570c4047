// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleHost.h"

#include "archive/ArchiveFiles.h"
#include "printout/PrintoutCopy.h"
#include "reset/EventLoop.h"
#include "reset/ResetExchange.h"
#include "serial/PortDiagnostics.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

ConsoleHost::ConsoleHost(PortDirectory directory, PortChoice port, PrintoutArchive archive, int timeoutSeconds,
                         bool outputOpen)
    : m_port(std::move(directory))
    , m_choice(std::move(port))
    , m_timeoutSeconds(timeoutSeconds)
    , m_outputOpen(outputOpen)
    , m_terminal(::isatty(STDERR_FILENO) == 1)
    , m_keeper(archive.IsEnabled() ? std::make_unique<ArchiveKeeper>(archive.FolderPath()) : nullptr)
    , m_exitGuard(m_port, [this] {
        if (m_keeper)
            m_keeper->KeepAtExit();
    })
{
    m_timer.setInterval(TickIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_state.TickMs += TickIntervalMs; });
    QObject::connect(&m_signals, &TerminationSignals::Received, [this](int signal) {
        ++m_signalsReceived;
        RequestStop({StopCause::Signal, signal});
    });
    m_stall.setInterval(std::chrono::seconds(timeoutSeconds));
    QObject::connect(&m_stall, &QTimer::timeout, [this] { LimitReached(); });
    m_progressRefresh.setInterval(ProgressRefreshMs);
    QObject::connect(&m_progressRefresh, &QTimer::timeout, [this] { DrawProgress(); });
    m_listeners.Add(&m_exitGuard);
    if (m_keeper)
        m_listeners.Add(m_keeper.get());
    m_listeners.Add(&m_progress);
    m_listeners.Add(this);
}

ConsoleHost::~ConsoleHost() = default;

void ConsoleHost::RequestStop(Stop stop)
{
    if (!m_state.QuitRequested)
        m_stop = stop;
    m_state.QuitRequested = true;
}

void ConsoleHost::LimitReached()
{
    if (m_port.InputWaiting())
        m_stall.start();
    else
        RequestStop({StopCause::TimeLimit});
}

int ConsoleHost::Run()
{
    // Say at once why the port does not open, not after twenty polls into nothing.
    m_port.SetPortNumber(m_choice.number);
    if (!m_port.Open()) {
        const std::optional<PortDevice> device = m_port.Directory().Device(m_choice.number);
        const QString why = device ? PortDiagnostic(m_choice.Label(), *device, m_port.LastOpenError())
                                   : QStringLiteral("zelvorin: %1 ist keinem Gerät zugeordnet; welche Geräte es gibt, "
                                                    "zeigt »zelvorin --ports«.")
                                             .arg(m_choice.name);
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return CannotOpen;
    }
    // Left open: the reset opens it anew at once, and nobody takes it meanwhile.

    ResetRecord record = RunReset(*this, m_listeners);
    // The printout goes out before the archive is waited for: a stalled disk holds up neither.
    const int printError = Print(record);
    AwaitArchive(record);
    if (record.archive.state == ArchiveResult::State::Failed)
        std::fprintf(stderr, "zelvorin: Ausdruck nicht gespeichert: %s\n", qPrintable(record.archive.detail));
    if (printError != 0) {
        const QString where = record.archive.textPath.isEmpty()
                                      ? QString()
                                      : QStringLiteral(" Er liegt im Archiv: %1").arg(record.archive.textPath);
        const QString why = m_outputOpen ? ArchiveFiles::GermanReason(printError)
                                         : QStringLiteral("sie ist geschlossen");
        std::fprintf(stderr, "zelvorin: Der Ausdruck ließ sich nicht auf die Standardausgabe schreiben (%s).%s\n",
                     qPrintable(why), qPrintable(where));
    }
    std::fprintf(stderr, "zelvorin: %s\n", qPrintable(record.Summary()));
    if (printError != 0)
        return OutputFailed;
    switch (record.stop.cause) {
    case StopCause::MachineSyn:
        return Printed;
    case StopCause::Bound:
        return CutOff;
    case StopCause::Signal:
        return 128 + record.stop.signal;
    case StopCause::TimeLimit:
        std::fprintf(stderr, "zelvorin: %d s lang kamen keine Daten mehr.\n", m_timeoutSeconds);
        return TimedOut;
    default:
        return NoAnswer;
    }
}

void ConsoleHost::AwaitArchive(ResetRecord &record)
{
    if (!m_keeper)
        return;
    record.archive.state = ArchiveResult::State::Pending;
    const QMetaObject::Connection kept = QObject::connect(
            m_keeper.get(), &ArchiveKeeper::Kept, m_keeper.get(),
            [&record](const QDateTime &, const ArchiveResult &result) { record.archive = result; });
    // A signal, now or before, asks to be done: a disk that has not answered
    // by then is left to the journal. (The timer's connections go with it.)
    QTimer givingUp;
    givingUp.setInterval(SignalledArchiveWaitMs);
    QObject::connect(&m_signals, &TerminationSignals::Received, &givingUp, [&givingUp] { givingUp.start(); });
    if (m_signalsReceived > 0)
        givingUp.start();
    bool gaveUp = false;
    QObject::connect(&givingUp, &QTimer::timeout, [&gaveUp] { gaveUp = true; });
    while (record.archive.state == ArchiveResult::State::Pending && !gaveUp)
        EventLoop::Pump(PumpMode::WaitForActivity);
    QObject::disconnect(kept);
    if (record.archive.state == ArchiveResult::State::Pending)
        record.archive.state = ArchiveResult::State::Unfinished; // the journal keeps the bytes for the next start
}

int ConsoleHost::Print(const ResetRecord &record)
{
    if (!record.HasPrintout())
        return 0;
    if (!m_outputOpen)
        return EBADF;
    const QByteArray text = Printout::JoinLines(record.printout, QLatin1StringView("\n")).toUtf8();
    if (std::fwrite(text.constData(), 1, text.size(), stdout) == size_t(text.size()) && std::fflush(stdout) == 0)
        return 0;
    return errno != 0 ? errno : EIO;
}

void ConsoleHost::SetTimerEnabled(bool enabled)
{
    EventLoop::SetTicking(m_timer, enabled);
}

void ConsoleHost::AppendStatusLine(const QString &line)
{
    // A terminal that is gone must not end the reset: the machine still needs its SYN.
    EraseProgress();
    std::fprintf(stderr, "%s\n", line.toUtf8().constData()); // unbuffered: there at once
    DrawProgress();
}

void ConsoleHost::AppendBlankLine()
{
    AppendStatusLine(QString());
}

void ConsoleHost::DrawProgress()
{
    if (!m_terminal || m_progress.CurrentPhase() == Phase::Done)
        return;
    // Over the line before, which the erase at its end clears where this one is shorter.
    const QString text = m_progress.Text(MonotonicNs());
    std::fprintf(stderr, "\r%s\x1b[K", text.toUtf8().constData());
    m_progressShown = true;
}

void ConsoleHost::EraseProgress()
{
    if (std::exchange(m_progressShown, false))
        std::fputs("\r\x1b[K", stderr);
}

void ConsoleHost::PhaseChanged(const ResetRecord &, Phase phase, int)
{
    if (phase == Phase::Settling) {
        EraseProgress();
        std::fputs("zelvorin: Der Automat sendet noch …\n", stderr);
    }
    if (phase == Phase::Data && m_timeoutSeconds > 0)
        m_stall.start();
    else if (phase == Phase::Grace)
        m_stall.stop();
    if (phase == Phase::Data)
        m_progressRefresh.start();
    else
        m_progressRefresh.stop();
    if (phase == Phase::Done)
        EraseProgress();
    else
        DrawProgress();
}

void ConsoleHost::BytesReceived(QByteArrayView, qint64)
{
    if (m_stall.isActive())
        m_stall.start();
}

void ConsoleHost::PumpEvents(PumpMode mode)
{
    EventLoop::Pump(mode);
}
