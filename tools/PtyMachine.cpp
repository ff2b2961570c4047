// SPDX-License-Identifier: GPL-3.0-or-later
#include "PtyMachine.h"

#include <cerrno>
#include <unistd.h>

#include <sys/ioctl.h>

namespace {
constexpr int DrainCheckMs = 2;
constexpr int DrainChecksAtMost = 1000;
} // namespace

PtyMachine::PtyMachine(SimulatedMachine::Options options, QObject *parent)
    : QObject(parent)
    , m_machine(std::move(options))
{
    if (!m_pty.IsOpen())
        return;
    m_clock.start();

    m_readNotifier = std::make_unique<QSocketNotifier>(m_pty.Master(), QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyMachine::OnReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_pty.Master(), QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyMachine::OnWritable);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PtyMachine::Pump);
    m_drainTimer.setInterval(DrainCheckMs);
    connect(&m_drainTimer, &QTimer::timeout, this, [this] {
        if (m_pty.Slave() < 0 || Drained() || ++m_drainChecks > DrainChecksAtMost) {
            m_drainTimer.stop();
            HangUp();
        }
    });
    Schedule(); // a machine still printing an earlier printout sends before it hears anything
}

PtyMachine::~PtyMachine()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
}

void PtyMachine::HangUp()
{
    if (!m_pty.IsOpen())
        return;
    m_timer.stop();
    m_drainTimer.stop();
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_pty.CloseMaster();
    m_pty.CloseSlave();
    m_hungUp = true;
    emit Finished();
}

bool PtyMachine::Drained() const
{
    int waiting = 0;
    return m_unwritten.isEmpty() && m_pty.Slave() >= 0 && ::ioctl(m_pty.Slave(), FIONREAD, &waiting) == 0
           && waiting == 0;
}

void PtyMachine::HangUpWhenDrained()
{
    if (m_pty.IsOpen() && !m_drainTimer.isActive()) {
        m_drainChecks = 0;
        m_drainTimer.start();
    }
}

void PtyMachine::OnReadable()
{
    const QByteArray bytes = m_pty.ReadAll();
    if (bytes.isEmpty())
        return;
    m_received += bytes;
    Pump(); // what it sent meanwhile, before it takes in what it heard
    const auto phaseBefore = m_machine.CurrentPhase();
    m_machine.Receive(bytes, m_clock.elapsed());
    emit BytesReceived(bytes);
    Pump();
    const auto phase = m_machine.CurrentPhase();
    if (phase != phaseBefore && (phase == SimulatedMachine::Phase::Done || phase == SimulatedMachine::Phase::Refused))
        emit Finished();
}

void PtyMachine::Pump()
{
    if (!m_pty.IsOpen())
        return;
    const QByteArray out = m_machine.Transmit(m_clock.elapsed());
    if (!out.isEmpty()) {
        m_unwritten += out;
        emit BytesSent(out);
    }
    OnWritable();
    Schedule();
}

void PtyMachine::OnWritable()
{
    while (!m_unwritten.isEmpty()) {
        const ssize_t n = ::write(m_pty.Master(), m_unwritten.constData() + m_written, m_unwritten.size() - m_written);
        if (n > 0) {
            // Taken a few KiB at a time: dropping them from the front would move all the rest each time.
            if ((m_written += n) == m_unwritten.size()) {
                m_unwritten.clear();
                m_written = 0;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // the terminal is full until the program reads
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_unwritten.isEmpty());
    if (m_unwritten.isEmpty() && m_machine.HungUp())
        HangUpWhenDrained();
}

void PtyMachine::Schedule()
{
    const std::optional<qint64> next = m_machine.NextTransmitMs();
    if (!next) {
        m_timer.stop();
        return;
    }
    m_timer.start(static_cast<int>(std::max<qint64>(0, *next - m_clock.elapsed())));
}
