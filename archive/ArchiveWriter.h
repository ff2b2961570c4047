// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

// The archive's disk work, in order, on a thread of its own: a slow or
// stalled disk never holds up the exchange, the window, or the work in Qt's
// shared pool. What a stalled disk keeps it from doing, the journal still holds.
class ArchiveWriter
{
public:
    ArchiveWriter();
    // Lets the thread finish what is queued, or end with the program.
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter &) = delete;
    ArchiveWriter &operator=(const ArchiveWriter &) = delete;

    // A job, run after those posted before it. It must own what it uses.
    void Post(std::function<void()> job);
    // True once every job posted so far has run; false when `timeout` came first.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    // Keeps the writer from starting its next job for as long as the lock is
    // held; not owned when the job now running outlasts `timeout`.
    std::unique_lock<std::timed_mutex> HoldBack(std::chrono::milliseconds timeout);

    struct Shared; // what the thread shares with the writer, and keeps once the writer is gone

private:
    std::shared_ptr<Shared> m_shared;
};
