// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveKeeper.h"

#include "ArchiveFiles.h"
#include "Recording.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"

#include <QFile>

#include <cstring>

namespace {

// At an exit, the writer is waited for only this long before the next start is left to keep the bytes.
constexpr std::chrono::milliseconds ExitHoldBack{200};

// What keeping a reset's bytes did, in the file system's bytes, on its way to the window's thread.
struct Outcome
{
    Recording::Kept printout;
    bool printoutKept{};
    QByteArray tailPath;
};

QByteArray TextOf(const ListEntries &lines)
{
    return Printout::JoinLines(lines).toUtf8();
}

ArchiveResult ResultOf(const Outcome &outcome)
{
    ArchiveResult result;
    const Recording::Kept &kept = outcome.printout;
    result.tailPath = QFile::decodeName(outcome.tailPath);
    if (!outcome.printoutKept)
        return result;
    result.state = kept.binPath.isEmpty() ? ArchiveResult::State::Failed : ArchiveResult::State::Kept;
    result.binPath = QFile::decodeName(kept.binPath);
    result.textPath = QFile::decodeName(kept.textPath);
    if (!kept.failedPath.isEmpty()) {
        result.failedPath = QFile::decodeName(kept.failedPath);
        result.reason = ArchiveFiles::GermanReason(kept.error);
        result.detail = QStringLiteral("%1: %2").arg(result.failedPath,
                                                     QString::fromLocal8Bit(std::strerror(kept.error)));
    }
    return result;
}

} // namespace

struct ArchiveKeeper::Receiver
{
    std::mutex mutex;
    ArchiveKeeper *keeper = nullptr; // none once it is gone
};

ArchiveKeeper::ArchiveKeeper(const QByteArray &folder, QObject *parent)
    : QObject(parent)
    , m_folder(ArchiveFiles::AbsolutePath(folder))
    , m_receiver(std::make_shared<Receiver>())
{
    m_receiver->keeper = this;
}

ArchiveKeeper::~ArchiveKeeper()
{
    const std::lock_guard lock(m_receiver->mutex);
    m_receiver->keeper = nullptr;
}

std::shared_ptr<Recording> ArchiveKeeper::Start(const QByteArray &stem, bool tail)
{
    auto recording = std::make_shared<Recording>();
    recording->folder = m_folder;
    recording->stem = stem;
    recording->token = ArchiveNames::NewToken();
    recording->tail = tail;
    // Without a journal the working file still fills.
    recording->journal.Open(m_folder, stem, recording->token, tail ? Journal::Kind::Tail : Journal::Kind::Printout);
    m_writer.Post([recording] { recording->StartWorking(); });
    return recording;
}

void ArchiveKeeper::PhaseChanged(const ResetRecord &reset, Phase phase, int)
{
    m_phase = phase;
    if (phase == Phase::Settling || phase == Phase::Answered)
        m_stem = ArchiveNames::Stem(reset.began, reset.port.name);
    if (phase == Phase::Data && m_printout)
        m_printout->journal.MarkData();
}

void ArchiveKeeper::BytesReceived(QByteArrayView bytes, qint64)
{
    std::shared_ptr<Recording> &recording = m_phase == Phase::Settling ? m_tail : m_printout;
    if (!recording)
        recording = Start(m_stem, m_phase == Phase::Settling);
    recording->journal.Append(bytes);
    m_writer.Post([recording, bytes = bytes.toByteArray()] { recording->AppendToWorking(bytes); });
}

void ArchiveKeeper::Ended(const ResetRecord &reset)
{
    m_writer.Post([printout = std::exchange(m_printout, {}), tail = std::exchange(m_tail, {}),
                   ending = ArchiveNames::EndingOf(reset), received = reset.received, lines = reset.printout,
                   tailBytes = reset.tail, began = reset.began, receiver = m_receiver] {
        Outcome outcome;
        if (printout) {
            outcome.printout = printout->Keep(received, ending, TextOf(lines));
            outcome.printoutKept = true;
        }
        if (tail) // when it fails, its journal keeps it for the next start
            outcome.tailPath = tail->Keep(tailBytes, ArchiveNames::Ending::Tail, QByteArray()).binPath;
        const std::lock_guard lock(receiver->mutex);
        if (ArchiveKeeper *keeper = receiver->keeper) {
            QMetaObject::invokeMethod(
                    keeper, [keeper, began, outcome] { emit keeper->Kept(began, ResultOf(outcome)); },
                    Qt::QueuedConnection);
        }
    });
}

void ArchiveKeeper::KeepAtExit()
{
    std::unique_lock hold = m_writer.HoldBack(ExitHoldBack);
    if (!hold.owns_lock())
        return;
    hold.release(); // held until the end: the writer's queued work would only make a second copy
    if (m_printout && m_printout->journal.IsOpen()) {
        const QByteArray bytes = m_printout->BytesSoFar();
        m_printout->Keep(bytes, ArchiveNames::EndingOfBytes(bytes, m_printout->journal.DataFrom()),
                         TextOf(Printout::RenderPrintout(bytes)));
    }
    if (m_tail && m_tail->journal.IsOpen())
        m_tail->Keep(m_tail->BytesSoFar(), ArchiveNames::Ending::Tail, QByteArray());
}

bool ArchiveKeeper::WaitUntilWritten(std::chrono::milliseconds timeout)
{
    return m_writer.WaitUntilIdle(timeout);
}
