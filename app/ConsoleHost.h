// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TerminationSignals.h"
#include "reset/ResetHost.h"
#include "reset/ResetRecord.h"
#include "serial/DeviceSerialPort.h"

#include <QTimer>

// One reset without a window, for the command line: the same exchange, the
// status lines on standard error as they happen, the printout on standard
// output, UTF-8, one line each.
class ConsoleHost final : public ResetHost
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
    };
    static constexpr int DefaultTimeoutSeconds = 60;
    static constexpr int MaxTimeoutSeconds = 1'000'000; // about 11 days: still a timer's milliseconds

    // `portName` as the user gave it; `timeoutSeconds` 0 waits for ever;
    // `outputOpen` false when standard output was closed at the start.
    ConsoleHost(PortDirectory directory, int16_t number, QString portName, PrintoutArchive archive, int timeoutSeconds,
                bool outputOpen);

    // Runs the reset; returns the program's exit status. SIGINT, SIGTERM,
    // SIGHUP and SIGQUIT work as a close request: a reset they cut short
    // ends with 128 and the signal's number.
    int Run();

    MainWindowState &State() override { return m_state; }
    SerialPort &Port() override { return m_port; }
    const PrintoutArchive &Archive() const override { return m_archive; }
    QString SelectorText() const override;
    QString PortName() const override { return m_portName; }
    QString DevicePath() const override;
    void SetButtonEnabled(bool) override {}
    void SetTimerEnabled(bool enabled) override;
    void CloseWindow() override {}
    void AppendLine(const QString &line) override;
    void AppendPrintout(const ListEntries &) override {}
    void PumpEvents(PumpMode mode = PumpMode::ReturnAtOnce) override;

private:
    // Restarts the time limit whenever data came during the data phase.
    void WatchForStall();
    // False when standard output did not take the whole printout.
    bool Print(const ResetRecord &record);

    DeviceSerialPort m_port;
    int16_t m_number;
    QString m_portName;
    PrintoutArchive m_archive;
    MainWindowState m_state;
    QTimer m_timer;
    TerminationSignals m_signals;
    int m_signal = 0;
    QTimer m_stall;
    qsizetype m_seen{}; // what had come at the last restart of the limit
    bool m_timedOut = false;
    int m_timeoutSeconds;
    bool m_outputOpen;
};
