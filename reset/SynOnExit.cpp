// SPDX-License-Identifier: GPL-3.0-or-later
#include "SynOnExit.h"

#include "reset/ResetProtocol.h"
#include "serial/SerialPort.h"

#include <cstdlib>
#include <termios.h>
#include <unistd.h>

namespace {

struct Pending
{
    bool armed = false;
    int port = -1;
    const std::function<void()> *afterSyn = nullptr;
};
Pending g_pending;

// The SYN with nothing but system calls on what the reset set up: at exit,
// much of the program's world may be gone.
void SendSyn()
{
    if (!g_pending.armed)
        return;
    const char syn = ResetProtocol::Syn; // without a port, both fail harmlessly
    [[maybe_unused]] const ssize_t written = ::write(g_pending.port, &syn, 1);
    ::tcdrain(g_pending.port);
    if (*g_pending.afterSyn)
        (*g_pending.afterSyn)();
}

} // namespace

SynOnExit::SynOnExit(SerialPort &port, std::function<void()> afterSyn)
    : m_port(port)
    , m_afterSyn(std::move(afterSyn))
{
    [[maybe_unused]] static const int registered = std::atexit(SendSyn); // once
}

SynOnExit::~SynOnExit()
{
    g_pending.armed = false;
}

void SynOnExit::PhaseChanged(const ResetRecord &, Phase phase, int)
{
    if (phase == Phase::Data)
        g_pending = {true, m_port.Descriptor(), &m_afterSyn};
    else if (phase == Phase::Grace)
        g_pending.armed = false;
}
