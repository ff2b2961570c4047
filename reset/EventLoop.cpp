// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventLoop.h"

#include <QCoreApplication>
#include <QTimer>

void EventLoop::Pump(PumpMode mode)
{
    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
    if (mode == PumpMode::WaitForActivity)
        flags |= QEventLoop::WaitForMoreEvents;
    QCoreApplication::processEvents(flags);
}

void EventLoop::SetTicking(QTimer &timer, bool enabled)
{
    if (!enabled)
        timer.stop();
    else if (!timer.isActive())
        timer.start();
}
