// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/ArchiveWriter.h"
#include "reset/ResetListener.h"
#include "reset/ResetRecord.h"

#include <QDateTime>
#include <QObject>

#include <memory>

struct Recording;

// Keeps every reset's bytes in the archive by listening to the reset: each
// piece goes into the journal at once and to the writer for the working file,
// and once the reset has ended the writer gives the bytes and the printout's
// text their final names, and the bytes that came before the first poll theirs.
class ArchiveKeeper final : public QObject, public ResetListener
{
    Q_OBJECT

public:
    // `folder` in the file system's own bytes.
    explicit ArchiveKeeper(const QByteArray &folder, QObject *parent = nullptr);
    ~ArchiveKeeper() override;

    void PhaseChanged(const ResetRecord &reset, Phase phase, int attempt) override;
    void BytesReceived(QByteArrayView bytes, qint64 atNs) override;
    void Ended(const ResetRecord &reset) override;

    // For an exit that skips the reset's end: what arrived, kept now as it
    // ends, unless the writer is stuck on a disk (then the next start keeps it).
    void KeepAtExit();
    // Whether everything handed over is on disk or failed, waiting at most `timeout`.
    bool WaitUntilWritten(std::chrono::milliseconds timeout);

signals:
    // What became of the bytes of the reset that began at `began`.
    void Kept(const QDateTime &began, const ArchiveResult &result);

private:
    std::shared_ptr<Recording> Start(const QByteArray &stem, bool tail);

    struct Receiver;
    QByteArray m_folder;
    QByteArray m_stem; // of the reset now running
    Phase m_phase = Phase::Done;
    std::shared_ptr<Recording> m_printout;
    std::shared_ptr<Recording> m_tail;
    std::shared_ptr<Receiver> m_receiver;
    ArchiveWriter m_writer;
};
