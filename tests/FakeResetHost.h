#pragma once

// A window and a port for RunReset without a display: the port talks to a
// SimulatedMachine, and time passes only when the reset waits for events.

#include "reset/ResetHost.h"
#include "tools/SimulatedMachine.h"

#include <QStringList>

#include <functional>
#include <optional>

struct SimulatedClock
{
    qint64 nowMs = 0;
};

class FakePort final : public SerialPort
{
public:
    FakePort(SimulatedMachine &machine, SimulatedClock &clock) : m_machine(machine), m_clock(clock) {}

    QStringList calls;                   // every operation, in order
    QByteArray wire;                     // what reached the machine
    QList<qint64> writeTimes;            // when each write reached it
    int16_t usableNumber = 1;            // the one port number that opens
    std::optional<int> failAfterReads;   // the device dies after this many reads

    bool SetPortNumber(int16_t number) override
    {
        calls << QStringLiteral("SetPortNumber(%1)").arg(number);
        if (m_open)
            return false;
        m_number = number;
        return true;
    }
    bool IsOpen() const override { return m_open; }
    bool Open() override
    {
        calls << QStringLiteral("Open");
        if (m_open || m_number != usableNumber)
            return false;
        m_open = true;
        return true;
    }
    bool Close() override
    {
        calls << QStringLiteral("Close");
        const bool wasOpen = m_open;
        m_open = false;
        return wasOpen;
    }
    bool SetSettings(const QString &settings) override
    {
        calls << QStringLiteral("SetSettings(%1)").arg(settings);
        return true;
    }
    bool SetDtr(bool on) override
    {
        calls << QStringLiteral("SetDtr(%1)").arg(on);
        return true;
    }
    bool SetRts(bool on) override
    {
        calls << QStringLiteral("SetRts(%1)").arg(on);
        return true;
    }
    bool SetInputLen(int16_t length) override
    {
        calls << QStringLiteral("SetInputLen(%1)").arg(length);
        return true;
    }
    bool Write(const QByteArray &bytes) override
    {
        if (!Usable())
            return false;
        wire += bytes;
        writeTimes << m_clock.nowMs;
        m_machine.Receive(bytes, m_clock.nowMs);
        return true;
    }
    bool Read(QByteArray &into) override
    {
        ++m_reads;
        if (!Usable() || m_machine.HungUp())
            return false;
        into = m_machine.Transmit(m_clock.nowMs);
        return true;
    }
    OpenError LastOpenError() const override { return {}; }

private:
    bool Usable() const { return m_open && !(failAfterReads && m_reads >= *failAfterReads); }

    SimulatedMachine &m_machine;
    SimulatedClock &m_clock;
    bool m_open = false;
    int16_t m_number = 0;
    int m_reads = 0;
};

class FakeResetHost final : public ResetHost
{
public:
    // Waits that could only end by the user's hand end with a close request
    // after this many: a reset that never ends is a failure, not a hang.
    static constexpr int IdleWaitLimit = 1000;

    FakeResetHost(SerialPort &port, SimulatedMachine &machine, SimulatedClock &clock)
        : m_port(port), m_machine(machine), m_clock(clock) {}

    MainWindowState state;
    QStringList list;
    QString selectorText = QStringLiteral("COM1");
    bool buttonEnabled = true;
    int closeCalls = 0;
    bool userGaveUp = false;
    // Runs at every pump, as the user's hand: e.g. a close request in some phase.
    std::function<void(FakeResetHost &)> onPump;

    void RequestClose() { state.QuitRequested = true; } // what the window does during a reset

    MainWindowState &State() override { return state; }
    SerialPort &Port() override { return m_port; }
    QString SelectorText() const override { return selectorText; }
    void SetButtonEnabled(bool enabled) override { buttonEnabled = enabled; }
    void SetTimerEnabled(bool enabled) override
    {
        if (enabled && !m_timerEnabled)
            m_nextTickMs = m_clock.nowMs + TickIntervalMs;
        m_timerEnabled = enabled;
    }
    void CloseWindow() override { ++closeCalls; }
    void AppendLine(const QString &line) override { list << line; }
    void PumpEvents(PumpMode mode) override
    {
        if (onPump)
            onPump(*this);
        if (mode == PumpMode::WaitForActivity)
            WaitForActivity();
    }

private:
    // Sleeps until the next tick or the machine's next bytes, whichever is
    // first. A wait with nothing to wake it would sleep until the user acts:
    // after many of those in a row, the user closes the window.
    void WaitForActivity()
    {
        std::optional<qint64> wake = m_machine.NextTransmitMs();
        if (m_timerEnabled && (!wake || m_nextTickMs < *wake))
            wake = m_nextTickMs;
        if (wake && *wake > m_clock.nowMs) {
            m_clock.nowMs = *wake;
            m_stalledWaits = 0;
        } else if (++m_stalledWaits > IdleWaitLimit) {
            userGaveUp = true;
            RequestClose();
        }
        if (m_timerEnabled && m_clock.nowMs >= m_nextTickMs) {
            state.TickMs += TickIntervalMs;
            m_nextTickMs += TickIntervalMs;
        }
    }

    SerialPort &m_port;
    SimulatedMachine &m_machine;
    SimulatedClock &m_clock;
    bool m_timerEnabled = false;
    qint64 m_nextTickMs = 0;
    int m_stalledWaits = 0;
};
