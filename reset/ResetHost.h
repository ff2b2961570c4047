// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/PrintoutArchive.h"
#include "printout/PrintoutList.h"
#include "reset/MainWindowState.h"
#include "serial/SerialPort.h"

#include <QString>

// What a reset needs of the window: its state, its port, its controls.
class ResetHost : public PrintoutList
{
public:
    virtual MainWindowState &State() = 0;
    virtual SerialPort &Port() = 0;
    // Where the received data is kept.
    virtual const PrintoutArchive &Archive() const = 0;
    // The text of the port selector, possibly edited by the user.
    virtual QString SelectorText() const = 0;
    // The port as the user named it, e.g. "COM1" or "/dev/ttyUSB0".
    virtual QString PortName() const = 0;
    // The device behind it, as people read it; empty when there is none.
    virtual QString DevicePath() const = 0;
    virtual void SetButtonEnabled(bool enabled) = 0;
    // The tick timer that advances State().TickMs.
    virtual void SetTimerEnabled(bool enabled) = 0;
    // Closes the window once the reset has returned; this ends the program.
    virtual void CloseWindow() = 0;
};
