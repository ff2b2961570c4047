// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleHost.h"

#include "reset/EventLoop.h"
#include "reset/ResetExchange.h"
#include "serial/PortDiagnostics.h"

#include <cerrno>
#include <cstdio>

ConsoleHost::ConsoleHost(PortDirectory directory, int16_t number, QString portName, PrintoutArchive archive,
                         int timeoutSeconds, bool outputOpen)
    : m_port(std::move(directory))
    , m_number(number)
    , m_portName(std::move(portName))
    , m_archive(std::move(archive))
    , m_timeoutSeconds(timeoutSeconds)
    , m_outputOpen(outputOpen)
{
    m_timer.setInterval(TickIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_state.TickMs += TickIntervalMs; });
    QObject::connect(&m_signals, &TerminationSignals::Received, [this](int signal) {
        m_signal = signal;
        m_state.QuitRequested = true;
    });
    m_stall.setInterval(std::chrono::seconds(timeoutSeconds));
    QObject::connect(&m_stall, &QTimer::timeout, [this] {
        m_timedOut = true;
        m_state.QuitRequested = true;
    });
}

int ConsoleHost::Run()
{
    // Say at once why the port does not open, not after twenty polls into nothing.
    m_port.SetPortNumber(m_number);
    if (!m_port.Open()) {
        const std::optional<PortDevice> device = m_port.Directory().Device(m_number);
        const QString why = device ? PortDiagnostic(ResetRecord::PortLabel(m_portName, DevicePath()), *device,
                                                    m_port.LastOpenError())
                                   : QStringLiteral("zelvorin: %1 ist keinem Gerät zugeordnet.").arg(m_portName);
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return CannotOpen;
    }
    // Left open: the reset opens it anew at once, and nobody takes it meanwhile.

    const ResetRecord record = RunReset(*this);
    const bool printed = Print(record);
    std::fprintf(stderr, "zelvorin: %s\n", qPrintable(record.Summary()));
    if (!printed)
        return OutputFailed;
    if (record.dataEnd == ResetRecord::DataEnd::Syn)
        return Printed;
    if (record.dataEnd == ResetRecord::DataEnd::CutOff)
        return CutOff;
    if (m_signal != 0)
        return 128 + m_signal;
    if (m_timedOut) {
        std::fprintf(stderr, "zelvorin: %d s lang kamen keine Daten mehr.\n", m_timeoutSeconds);
        return TimedOut;
    }
    return NoAnswer;
}

bool ConsoleHost::Print(const ResetRecord &record)
{
    if (!record.HasPrintout())
        return true;
    QByteArray text;
    record.lines.ForEach([&text](QStringView line) { text += line.toUtf8() + '\n'; });
    const bool written = m_outputOpen && std::fwrite(text.constData(), 1, text.size(), stdout) == size_t(text.size())
                         && std::fflush(stdout) == 0;
    if (written)
        return true;
    const QString where = record.archive.textPath.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" Er liegt im Archiv: %1").arg(record.archive.textPath);
    const QString why = m_outputOpen ? ArchiveFiles::GermanReason(errno) : QStringLiteral("sie ist geschlossen");
    std::fprintf(stderr, "zelvorin: Der Ausdruck ließ sich nicht auf die Standardausgabe schreiben (%s).%s\n",
                 qPrintable(why), qPrintable(where));
    return false;
}

QString ConsoleHost::SelectorText() const
{
    return QStringLiteral("COM%1").arg(m_number);
}

QString ConsoleHost::DevicePath() const
{
    const std::optional<PortDevice> device = m_port.Directory().Device(m_number);
    return device ? device->ShownPath() : QString();
}

void ConsoleHost::SetTimerEnabled(bool enabled)
{
    EventLoop::SetTicking(m_timer, enabled);
}

void ConsoleHost::AppendLine(const QString &line)
{
    // A terminal that is gone must not end the reset: the machine still needs its SYN.
    std::fprintf(stderr, "%s\n", line.toUtf8().constData()); // unbuffered: there at once
}

void ConsoleHost::WatchForStall()
{
    if (m_stall.interval() <= 0)
        return;
    const bool inData = !m_state.CodeString.isEmpty() && !m_state.DataEnded && !m_state.QuitRequested;
    if (!inData) {
        m_stall.stop();
    } else if (m_state.RxBuffer.size() != m_seen || !m_stall.isActive()) {
        m_seen = m_state.RxBuffer.size();
        m_stall.start();
    }
}

void ConsoleHost::PumpEvents(PumpMode mode)
{
    WatchForStall();
    EventLoop::Pump(mode);
}
