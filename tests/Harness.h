// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tests share: a port and a window around RunReset on a simulated
// clock, and pseudo-terminals for the real port.

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveKeeper.h"
#include "printout/ListEntries.h"
#include "reset/ResetHost.h"
#include "reset/ResetProtocol.h"
#include "serial/PortDirectory.h"
#include "tools/Pty.h"
#include "tools/SimulatedMachine.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStringList>

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <numeric>
#include <optional>
#include <sys/prctl.h>

// A program a test starts dies with the test, also when the test is killed
// for taking too long.
inline void DiesWithTest(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// A file's bytes, by a path that need not be UTF-8.
inline QByteArray Contents(const QByteArray &path)
{
    const FileDescriptor file(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    return file.IsOpen() ? ArchiveFiles::ReadAll(file.Get()) : QByteArray("(missing)");
}

inline QByteArray Contents(const QString &path)
{
    return Contents(QFile::encodeName(path));
}

// Writes a file whole; false where it cannot.
inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A folder's files, hidden ones too, by name.
inline QStringList Files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

inline QStringList ToStrings(const ListEntries &entries)
{
    QStringList strings;
    entries.ForEach([&strings](QStringView entry) { strings << entry.toString(); });
    return strings;
}

inline ListEntries FromStrings(const QStringList &strings)
{
    ListEntries entries;
    for (const QString &string : strings)
        entries.Append(string);
    return entries;
}

// Every byte value once, then line ends of both kinds.
inline QByteArray EveryByte()
{
    QByteArray bytes(256, Qt::Uninitialized);
    std::iota(bytes.begin(), bytes.end(), '\0');
    return bytes + "\r\n\n\r";
}

// A port wired to a SimulatedMachine: every operation is noted, every write
// stamped with the simulated time (`clock`, in milliseconds).
class FakePort final : public SerialPort
{
public:
    FakePort(SimulatedMachine &machine, qint64 &clock)
        : m_machine(machine)
        , m_clock(clock)
    {}

    QStringList calls;
    QByteArray wire;
    QList<qint64> writeTimes;
    int failAfterReads = INT_MAX; // the device dies after this many reads from the first poll on
    std::function<void(const QByteArray &bytes)> beforeWrite;

    bool SetPortNumber(int16_t number) override
    {
        return Note(QStringLiteral("SetPortNumber(%1)").arg(number), !m_open) && (m_number = number, true);
    }
    int16_t PortNumber() const override { return m_number; }
    bool IsOpen() const override { return m_open; }
    bool Open() override { return Note(QStringLiteral("Open"), !m_open && m_number == 1) && (m_open = true); }
    bool Close() override
    {
        if (m_open)
            m_machine.Transmit(m_clock); // what waits unread goes with the close
        return Note(QStringLiteral("Close"), std::exchange(m_open, false));
    }
    bool SetSettings(const QString &settings) override { return Note(QStringLiteral("SetSettings(%1)").arg(settings)); }
    bool SetDtr(bool on) override { return Note(QStringLiteral("SetDtr(%1)").arg(on)); }
    bool SetRts(bool on) override { return Note(QStringLiteral("SetRts(%1)").arg(on)); }
    bool SetInputLen(int16_t length) override { return Note(QStringLiteral("SetInputLen(%1)").arg(length)); }
    bool Write(const QByteArray &bytes) override
    {
        if (!Usable())
            return false;
        if (beforeWrite)
            beforeWrite(bytes);
        wire += bytes;
        writeTimes << m_clock;
        m_machine.Receive(bytes, m_clock);
        return true;
    }
    bool Read(QByteArray &into) override
    {
        m_reads += !wire.isEmpty();
        if (!Usable() || m_machine.HungUp())
            return false;
        into = m_machine.Transmit(m_clock);
        return true;
    }
    bool InputWaiting() const override
    {
        const std::optional<qint64> next = m_machine.NextTransmitMs();
        return next && *next <= m_clock;
    }
    OpenError LastOpenError() const override { return {}; }

private:
    bool Note(const QString &call, bool result = true) { return calls << call, result; }
    bool Usable() const { return m_open && m_reads < failAfterReads; }

    SimulatedMachine &m_machine;
    qint64 &m_clock;
    bool m_open = false;
    int16_t m_number = 0;
    int m_reads = 0;
};

// The window around a reset: its list as plain strings, and waits that move
// the simulated clock to the next tick or the machine's next bytes.
class FakeResetHost final : public ResetHost
{
public:
    // A wait that nothing can end would last until the user acts: after this
    // many in a row, the user closes the window.
    static constexpr int IdleWaitLimit = 1000;

    FakeResetHost(SerialPort &port, SimulatedMachine &machine, qint64 &clock)
        : m_port(port)
        , m_machine(machine)
        , m_clock(clock)
    {}

    MainWindowState state;
    QStringList list;
    QString selectorText = QStringLiteral("COM1");
    Stop quitCause = {StopCause::Close};
    bool buttonEnabled = true;
    int closeCalls = 0;
    bool userGaveUp = false;
    std::function<void(FakeResetHost &)> onPump; // the user's hand, at every pump
    int tickMs = TickIntervalMs;                 // what each tick of the timer adds

    MainWindowState &State() override { return state; }
    SerialPort &Port() override { return m_port; }
    PortChoice ChoosePort() const override
    {
        return {ResetProtocol::PortNumberOf(selectorText), selectorText, QStringLiteral("/dev/fake")};
    }
    Stop QuitCause() const override { return quitCause; }
    qint64 MonotonicNs() const override { return m_clock * 1'000'000; }
    void SetButtonEnabled(bool enabled) override { buttonEnabled = enabled; }
    void SetTimerEnabled(bool enabled) override
    {
        if (enabled && !m_timerEnabled)
            m_nextTickMs = m_clock + tickMs;
        m_timerEnabled = enabled;
    }
    void CloseWindow() override { ++closeCalls; }
    bool TimerEnabled() const { return m_timerEnabled; }
    void AppendStatusLine(const QString &line) override { list << line; }
    void AppendBlankLine() override { list << QString(); }
    void AppendPrintout(const ListEntries &lines) override { list << ToStrings(lines); }
    void PumpEvents(PumpMode mode) override
    {
        if (onPump)
            onPump(*this);
        if (mode != PumpMode::WaitForActivity)
            return;
        // Bytes that have come wake the wait once, as a readable port does; unread, no more.
        std::optional<qint64> wake = m_machine.NextTransmitMs();
        if (wake && *wake <= m_clock && std::exchange(m_wokenFor, *wake) == *wake)
            wake.reset();
        if (m_timerEnabled && (!wake || m_nextTickMs < *wake))
            wake = m_nextTickMs;
        if (wake && *wake >= m_clock) {
            m_clock = *wake;
            m_stalledWaits = 0;
        } else if (++m_stalledWaits > IdleWaitLimit) {
            userGaveUp = true;
            state.QuitRequested = true;
        }
        if (m_timerEnabled && m_clock >= m_nextTickMs) {
            state.TickMs += tickMs;
            m_nextTickMs += tickMs;
        }
    }

private:
    SerialPort &m_port;
    SimulatedMachine &m_machine;
    qint64 &m_clock;
    bool m_timerEnabled = false;
    qint64 m_nextTickMs = 0;
    int m_stalledWaits = 0;
    qint64 m_wokenFor = -1; // the bytes that woke the last wait
};

// What the archive did, once it has done it.
inline ArchiveResult AwaitKept(ArchiveKeeper &keeper)
{
    QSignalSpy kept(&keeper, &ArchiveKeeper::Kept);
    return kept.wait(10000) ? kept.first().at(1).value<ArchiveResult>() : ArchiveResult();
}

// COM1 to COM9 as the given paths (empty: kept free), and the given devices
// as the system's: never the machine's own serial devices.
using NamedPorts = std::map<int, QByteArray>;
inline PortDirectory PtyDirectory(const NamedPorts &paths, const QList<PortDevice> &system = {})
{
    return PortDirectory::Assign([&system] { return system; },
                                 [&](const QString &name) -> std::optional<QByteArray> {
                                     for (const auto &[number, path] : paths) {
                                         if (name == PortDirectory::EnvironmentName(number))
                                             return path;
                                     }
                                     return std::nullopt;
                                 });
}
