// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleHost.h"

#include "reset/EventLoop.h"
#include "reset/ResetExchange.h"
#include "serial/PortDiagnostics.h"

#include <cstdio>

ConsoleHost::ConsoleHost(PortDirectory directory, int16_t number, QString portName, PrintoutArchive archive)
    : m_port(std::move(directory))
    , m_number(number)
    , m_portName(std::move(portName))
    , m_archive(std::move(archive))
{
    m_timer.setInterval(TickIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_state.TickMs += TickIntervalMs; });
    QObject::connect(&m_signals, &TerminationSignals::Received, [this](int signal) {
        m_signal = signal;
        m_state.QuitRequested = true;
    });
}

int ConsoleHost::Run()
{
    // Say at once why the port does not open, not after twenty polls into nothing.
    m_port.SetPortNumber(m_number);
    if (!m_port.Open()) {
        const std::optional<PortDevice> device = m_port.Directory().Device(m_number);
        const QString why = device ? PortDiagnostic(m_number, *device, m_port.LastOpenError())
                                   : QStringLiteral("zelvorin: COM%1 ist keinem Gerät zugeordnet.").arg(m_number);
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return CannotOpen;
    }
    m_port.Close();

    RunReset(*this);
    std::fflush(stdout);
    if (m_signal != 0)
        return 128 + m_signal;
    if (m_state.DataEnded)
        return Printed;
    return m_state.RxBuffer.size() >= ResetProtocol::RxLimitBytes ? CutOff : NoAnswer;
}

QString ConsoleHost::SelectorText() const
{
    return QStringLiteral("COM%1").arg(m_number);
}

void ConsoleHost::SetTimerEnabled(bool enabled)
{
    EventLoop::SetTicking(m_timer, enabled);
}

void ConsoleHost::AppendLine(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

void ConsoleHost::AppendPrintout(const ListEntries &lines)
{
    QByteArray text;
    for (qsizetype row = 0; row < lines.size(); ++row)
        text += lines[row].toUtf8() + '\n';
    std::fwrite(text.constData(), 1, text.size(), stdout);
}

void ConsoleHost::PumpEvents(PumpMode mode)
{
    EventLoop::Pump(mode);
}
