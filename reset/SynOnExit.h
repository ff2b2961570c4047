// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class ReceivedFile;

// Armed from the command string until our SYN. An exit that skips the
// reset's own end (Qt ends the program when its display goes away) still
// sends the machine its SYN and keeps what arrived. One at a time.
class SynOnExit
{
public:
    // `file` may be null (no archive).
    SynOnExit(int portDescriptor, ReceivedFile *file);
    ~SynOnExit();
    SynOnExit(const SynOnExit &) = delete;
    SynOnExit &operator=(const SynOnExit &) = delete;
};
