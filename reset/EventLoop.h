// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/PrintoutList.h"

class QTimer;

// A reset's waits on Qt's event loop, for the hosts that run one.
namespace EventLoop {

// Handles what is pending; with WaitForActivity it first sleeps until there is something.
void Pump(PumpMode mode);
// The tick timer: started if it is not running (enabling a running timer
// keeps its rhythm), or stopped.
void SetTicking(QTimer &timer, bool enabled);

} // namespace EventLoop
