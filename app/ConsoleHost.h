// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TerminationSignals.h"
#include "archive/ArchiveKeeper.h"
#include "archive/PrintoutArchive.h"
#include "reset/ResetHost.h"
#include "reset/ResetListener.h"
#include "reset/ResetProgress.h"
#include "reset/SynOnExit.h"
#include "serial/DeviceSerialPort.h"

#include <QTimer>

#include <memory>

// One reset without a window, for the command line: the same exchange, the
// status lines on standard error as they happen, the printout on standard
// output, UTF-8, one line each.
class ConsoleHost final : public ResetHost, private ResetListener
{
public:
    enum ExitStatus {
        Printed = 0,      // the printout arrived, ending with SYN
        NoAnswer = 1,     // twenty polls went unanswered
        BadUsage = 2,     // a wrong option or an unknown port name
        CannotOpen = 3,   // the port does not open
        CutOff = 4,       // the data went past its bound and was cut off
        OutputFailed = 6, // the printout did not reach standard output
        TimedOut = 7,     // the data stopped coming before its SYN
        Unreadable = 8,   // --archive, --show: a file could not be read
    };
    static constexpr int DefaultTimeoutSeconds = 60;
    static constexpr int MaxTimeoutSeconds = 1'000'000; // about 11 days: still a timer's milliseconds
    // After a signal, the archive is waited for this much longer at most.
    static constexpr int SignalledArchiveWaitMs = 500;
    // The progress line on a terminal is drawn anew this often while the printout comes.
    static constexpr int ProgressRefreshMs = 250;

    // `timeoutSeconds` 0 waits for ever; `outputOpen` false when standard
    // output was closed at the start.
    ConsoleHost(PortDirectory directory, PortChoice port, PrintoutArchive archive, int timeoutSeconds, bool outputOpen);
    ~ConsoleHost() override;

    // Runs the reset; returns the program's exit status. SIGINT, SIGTERM,
    // SIGHUP and SIGQUIT work as a close request: a reset they cut short
    // ends with 128 and the signal's number.
    int Run();

    MainWindowState &State() override { return m_state; }
    SerialPort &Port() override { return m_port; }
    PortChoice ChoosePort() const override { return m_choice; }
    Stop QuitCause() const override { return m_stop; }
    void SetButtonEnabled(bool) override {}
    void SetTimerEnabled(bool enabled) override;
    void CloseWindow() override {}
    void AppendStatusLine(const QString &line) override;
    void AppendBlankLine() override;
    void AppendPrintout(const ListEntries &) override {}
    void PumpEvents(PumpMode mode = PumpMode::ReturnAtOnce) override;

private:
    // The time limit counts while the printout may come, from each piece anew.
    void PhaseChanged(const ResetRecord &reset, Phase phase, int attempt) override;
    void BytesReceived(QByteArrayView bytes, qint64 atNs) override;
    void RequestStop(Stop stop);
    // The time limit ran out: unless bytes wait on the port (the program was
    // stopped, Ctrl+Z, while they came), the reset ends.
    void LimitReached();
    // The progress line on a terminal, drawn anew in place, or taken away.
    void DrawProgress();
    void EraseProgress();
    // Waits for the archive until it is written or a signal ends the wait.
    void AwaitArchive(ResetRecord &record);
    // 0, or why standard output did not take the whole printout.
    int Print(const ResetRecord &record);

    DeviceSerialPort m_port;
    PortChoice m_choice;
    MainWindowState m_state;
    QTimer m_timer;
    TerminationSignals m_signals;
    int m_signalsReceived = 0;
    Stop m_stop;
    QTimer m_stall;
    int m_timeoutSeconds;
    bool m_outputOpen;
    ResetProgress m_progress;
    QTimer m_progressRefresh;
    bool m_progressShown = false;
    bool m_terminal; // standard error is one: a progress line is drawn there
    std::unique_ptr<ArchiveKeeper> m_keeper;
    SynOnExit m_exitGuard;
    ResetListeners m_listeners;
};
