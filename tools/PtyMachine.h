// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Pty.h"
#include "SimulatedMachine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

// A simulated machine on the master side of a pseudo-terminal: the program
// under test opens SlavePath() as if it were the machine's serial port.
class PtyMachine final : public QObject
{
    Q_OBJECT

public:
    explicit PtyMachine(SimulatedMachine::Options options, QObject *parent = nullptr);
    ~PtyMachine() override;

    bool IsValid() const { return m_pty.IsOpen() || m_hungUp; }
    QString SlavePath() const { return QString::fromLocal8Bit(m_pty.SlavePath()); }
    SimulatedMachine &Machine() { return m_machine; }
    // Everything the program sent, in order.
    QByteArray Received() const { return m_received; }
    // Drops the line as a machine switched off would: the master side closes,
    // and the terminal throws away whatever the program has not read yet.
    void HangUp();
    // Whether the program has taken everything the machine sent.
    bool Drained() const;
    // The same, once the program has taken everything sent (or after a while).
    void HangUpWhenDrained();

signals:
    void BytesReceived(const QByteArray &bytes);
    void BytesSent(const QByteArray &bytes);
    void Finished(); // the exchange is over (done, refused or hung up)

private:
    void OnReadable();
    void OnWritable();
    void Pump();
    void Schedule();

    SimulatedMachine m_machine;
    Pty m_pty{true};
    bool m_hungUp = false;
    QElapsedTimer m_clock;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_timer;
    QTimer m_drainTimer;
    int m_drainChecks = 0;
    QByteArray m_unwritten;  // accepted from the machine, not yet all taken by the terminal
    qsizetype m_written = 0; // how much of m_unwritten the terminal has taken
    QByteArray m_received;
};
