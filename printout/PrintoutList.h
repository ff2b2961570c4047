#pragma once

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
    // Adds an entry at the end of the list.
    virtual void AppendLine(const QString &line) = 0;
    // Lets the window handle its pending events (ticks, input, close, painting).
    virtual void PumpEvents(PumpMode mode = PumpMode::ReturnAtOnce) = 0;
};
