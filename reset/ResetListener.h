// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QList>

struct ResetRecord;

// What a reset tells whoever listens while it runs: the archive, the
// progress shown, the guard that answers the machine at exit. Called in the
// reset's thread, before its next port operation; a listener never blocks.
class ResetListener
{
public:
    enum class Phase {
        Settling, // the line is not quiet yet: an earlier printout still coming
        Polling,  // a poll went out; `attempt` says which
        Answered, // the machine answered
        Data,     // the command string went out; the printout comes
        Grace,    // our SYN went out
        Done,     // over; Ended follows once the record is whole
    };

    virtual ~ResetListener() = default;
    // `reset` holds what is known so far: the port and the start at least.
    virtual void PhaseChanged(const ResetRecord &reset, Phase phase, int attempt)
    {
        Q_UNUSED(reset)
        Q_UNUSED(phase)
        Q_UNUSED(attempt)
    }
    // Bytes as they crossed the port, at `atNs` on the monotonic clock.
    virtual void BytesReceived(QByteArrayView bytes, qint64 atNs)
    {
        Q_UNUSED(bytes)
        Q_UNUSED(atNs)
    }
    virtual void BytesSent(QByteArrayView bytes, qint64 atNs)
    {
        Q_UNUSED(bytes)
        Q_UNUSED(atNs)
    }
    virtual void Ended(const ResetRecord &reset) { Q_UNUSED(reset) }
};

// Several listeners as one, told in the order they were added.
class ResetListeners final : public ResetListener
{
public:
    void Add(ResetListener *listener) { m_listeners.append(listener); }

    void PhaseChanged(const ResetRecord &reset, Phase phase, int attempt) override
    {
        for (ResetListener *listener : std::as_const(m_listeners))
            listener->PhaseChanged(reset, phase, attempt);
    }
    void BytesReceived(QByteArrayView bytes, qint64 atNs) override
    {
        for (ResetListener *listener : std::as_const(m_listeners))
            listener->BytesReceived(bytes, atNs);
    }
    void BytesSent(QByteArrayView bytes, qint64 atNs) override
    {
        for (ResetListener *listener : std::as_const(m_listeners))
            listener->BytesSent(bytes, atNs);
    }
    void Ended(const ResetRecord &reset) override
    {
        for (ResetListener *listener : std::as_const(m_listeners))
            listener->Ended(reset);
    }

private:
    QList<ResetListener *> m_listeners;
};
