// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveWriter.h"

#include <condition_variable>
#include <deque>
#include <pthread.h>
#include <sched.h>
#include <thread>

struct ArchiveWriter::Shared
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs; // the first one stays while it runs
    bool ending{};
    std::timed_mutex jobLock; // held while a job runs
};

namespace {

void Work(const std::shared_ptr<ArchiveWriter::Shared> &shared)
{
    // Never preempts the exchange when woken: the SYN waits for no disk work.
    const sched_param batch{};
    ::pthread_setschedparam(::pthread_self(), SCHED_BATCH, &batch);
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->ending || !shared->jobs.empty(); });
        if (shared->jobs.empty())
            return;
        const std::function<void()> &job = shared->jobs.front(); // jobs added meanwhile leave it where it is
        lock.unlock();
        {
            const std::lock_guard held(shared->jobLock);
            job();
        }
        lock.lock();
        shared->jobs.pop_front();
        shared->changed.notify_all();
    }
}

} // namespace

ArchiveWriter::ArchiveWriter()
    : m_shared(std::make_shared<Shared>())
{
    std::thread(Work, m_shared).detach();
}

ArchiveWriter::~ArchiveWriter()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->ending = true;
    m_shared->changed.notify_all();
}

void ArchiveWriter::Post(std::function<void()> job)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->jobs.push_back(std::move(job));
    m_shared->changed.notify_all();
}

bool ArchiveWriter::WaitUntilIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, timeout, [&] { return m_shared->jobs.empty(); });
}

std::unique_lock<std::timed_mutex> ArchiveWriter::HoldBack(std::chrono::milliseconds timeout)
{
    return std::unique_lock(m_shared->jobLock, timeout);
}
