// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reset/ResetListener.h"

#include <functional>

class SerialPort;

// Armed from the command string until our SYN. An exit that skips the
// reset's own end (Qt ends the program when its display goes away) still
// sends the machine its SYN, and then runs `afterSyn` (the archive keeping
// what arrived). One at a time.
class SynOnExit final : public ResetListener
{
public:
    explicit SynOnExit(SerialPort &port, std::function<void()> afterSyn = {});
    ~SynOnExit() override;
    SynOnExit(const SynOnExit &) = delete;
    SynOnExit &operator=(const SynOnExit &) = delete;

    void PhaseChanged(const ResetRecord &reset, Phase phase, int attempt) override;

private:
    SerialPort &m_port;
    std::function<void()> m_afterSyn;
};
