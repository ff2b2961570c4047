// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QString>

enum class PumpMode {
    ReturnAtOnce,    // handle what is pending, then return
    WaitForActivity, // first sleep until something happens: a tick, port data, user input
};

// The window's list, as the code that writes into it sees it.
class PrintoutList
{
public:
    virtual ~PrintoutList() = default;
    // Adds a status line ("*** …") at the end of the list; the copy leaves it out.
    virtual void AppendStatusLine(const QString &line) = 0;
    // Adds the blank line the program puts after its status lines; the copy takes it.
    virtual void AppendBlankLine() = 0;
    // Adds lines of the machine's printout at the end of the list.
    virtual void AppendPrintout(const ListEntries &lines) = 0;
    // Lets the window handle its pending events (ticks, input, close, painting).
    virtual void PumpEvents(PumpMode mode = PumpMode::ReturnAtOnce) = 0;
};
