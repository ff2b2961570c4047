// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_pipe[2];

// Each ends a running reset as a close does: a closed terminal or a dropped
// SSH session (SIGHUP) must not leave the machine without its SYN.
constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Only what is safe in a signal handler: one byte into the pipe.
void OnSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte{};
        while (::read(g_pipe[0], &byte, 1) == 1)
            emit Received(byte);
    });
    struct sigaction action
    {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART; // and an empty mask, from the zeroed start
    for (const int signal : Handled)
        ::sigaction(signal, &action, nullptr);
    // A reader that went away shows as a failed write, which is noticed; it
    // must not end the program before the machine has its SYN.
    std::signal(SIGPIPE, SIG_IGN);
}

TerminationSignals::~TerminationSignals() = default; // the handlers stay: the program ends with this
