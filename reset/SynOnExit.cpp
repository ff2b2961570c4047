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
    int port = -1;
    ReceivedFile *file = nullptr;
};
Pending *g_pending = nullptr;

// Only system calls on what the reset set up: at exit, much of the program's
// world may be gone.
void SendSynAndKeep()
{
    if (g_pending == nullptr)
        return;
    if (g_pending->port >= 0) {
        const char syn = ResetProtocol::Syn;
        [[maybe_unused]] const ssize_t written = ::write(g_pending->port, &syn, 1);
        ::tcdrain(g_pending->port);
    }
    if (g_pending->file != nullptr)
        g_pending->file->KeepAsIncomplete();
    g_pending = nullptr;
}

} // namespace

SynOnExit::SynOnExit(int portDescriptor, ReceivedFile *file)
{
    static const bool registered = std::atexit(SendSynAndKeep) == 0;
    Q_UNUSED(registered);
    g_pending = new Pending{portDescriptor, file};
}

SynOnExit::~SynOnExit()
{
    delete std::exchange(g_pending, nullptr);
}
