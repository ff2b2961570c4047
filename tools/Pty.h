// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// A pseudo-terminal: a program opens SlavePath() as if it were a serial
// port, and whoever holds the master side plays the device behind it.
class Pty
{
public:
    // Raw, as a serial port is set up, or cooked, as every new terminal is.
    explicit Pty(bool raw);
    ~Pty();
    Q_DISABLE_COPY(Pty)

    bool IsOpen() const { return m_master >= 0; }
    QByteArray SlavePath() const { return m_path; }
    int Master() const { return m_master; }
    int Slave() const { return m_slave; }
    // The device's side, never blocking: bytes for the program, and what
    // the program has sent so far.
    void Write(const QByteArray &bytes);
    QByteArray ReadAll();
    void CloseMaster();
    void CloseSlave();

private:
    int m_master = -1;
    int m_slave = -1; // the program's side, held so the master never sees a hang-up between its opens
    QByteArray m_path;
};
