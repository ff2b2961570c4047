// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/PrintoutList.h"
#include "reset/MainWindowState.h"
#include "reset/ResetRecord.h"
#include "serial/SerialPort.h"

#include <chrono>

// What a reset needs of the window: its state, its port, its controls.
class ResetHost : public PrintoutList
{
public:
    virtual MainWindowState &State() = 0;
    virtual SerialPort &Port() = 0;
    // The port the user chose, asked once at the start of a reset.
    virtual PortChoice ChoosePort() const = 0;
    // Why State().QuitRequested was set.
    virtual Stop QuitCause() const { return {StopCause::Close}; }
    virtual void SetButtonEnabled(bool enabled) = 0;
    // The tick timer that advances State().TickMs.
    virtual void SetTimerEnabled(bool enabled) = 0;
    // Once the reset has returned: closes the window when a close asked for
    // it, which ends the program.
    virtual void CloseWindow() = 0;
    // The monotonic clock the bytes on the wire are stamped with.
    virtual qint64 MonotonicNs() const
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
    }
};
