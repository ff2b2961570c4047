// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT, SIGTERM, SIGHUP and SIGQUIT as a close request, delivered through the event loop:
// a running reset then winds down, sends its SYN and keeps what arrived,
// instead of the program ending on the spot; SIGPIPE is ignored. One per
// program.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void Received(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};
