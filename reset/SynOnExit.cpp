// SPDX-License-Identifier: GPL-3.0-or-later
#include "SynOnExit.h"

#include "archive/ReceivedFile.h"
#include "reset/ResetExchange.h"

#include <cstdlib>
#include <termios.h>
#include <unistd.h>

namespace {

struct Pending
{
    bool armed = false;
    int port = -1;
    ReceivedFile *file = nullptr;
};
Pending g_pending;

// Only system calls on what the reset set up: at exit, much of the program's
// world may be gone.
void SendSynAndKeep()
{
    if (!g_pending.armed)
        return;
    const char syn = ResetProtocol::Syn; // without a port, both fail harmlessly
    [[maybe_unused]] const ssize_t written = ::write(g_pending.port, &syn, 1);
    ::tcdrain(g_pending.port);
    if (g_pending.file != nullptr)
        g_pending.file->KeepAsIncomplete();
}

} // namespace

SynOnExit::SynOnExit(int portDescriptor, ReceivedFile *file)
{
    [[maybe_unused]] static const bool registered = std::atexit(SendSynAndKeep) == 0;
    g_pending = {true, portDescriptor, file};
}

SynOnExit::~SynOnExit()
{
    g_pending.armed = false;
}
