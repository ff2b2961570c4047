// SPDX-License-Identifier: GPL-3.0-or-later
#include "Recording.h"

#include "ArchiveFiles.h"

#include <cerrno>
#include <sys/stat.h>

QByteArray Recording::WorkingPath() const
{
    return folder + '/' + ArchiveNames::Hidden(stem, tail ? ArchiveNames::TailMark : ArchiveNames::WorkingMark, token);
}

QByteArray Recording::BytesSoFar() const
{
    const QByteArray journaled = journal.IsOpen() ? journal.Bytes() : QByteArray();
    const QByteArray written = working.IsOpen() ? ArchiveFiles::ReadAll(working.Get()) : QByteArray();
    return written.size() > journaled.size() ? written : journaled;
}

void Recording::StartWorking()
{
    workingError = ArchiveFiles::MakeFolders(folder);
    if (workingError == 0)
        workingError = ArchiveFiles::CreateLocked(WorkingPath(), working);
}

void Recording::AppendToWorking(QByteArrayView bytes)
{
    if (workingError == 0) // else all goes afresh at the end
        workingError = ArchiveFiles::WriteAll(working.Get(), bytes);
}

Recording::Kept Recording::Keep(QByteArrayView bytes, ArchiveNames::Ending ending, const QByteArray &text)
{
    Kept kept;
    const QByteArray wanted = folder + '/' + stem + ArchiveNames::Mark(ending) + ArchiveNames::BinSuffix;
    struct stat file
    {};
    const bool linked = ::fstat(working.Get(), &file) == 0 && file.st_nlink > 0;
    int error = 0;
    if (!linked || workingError != 0 || file.st_size != bytes.size()) {
        if (!linked) { // never made, or its folder deleted meanwhile
            error = ArchiveFiles::MakeFolders(folder);
            if (error == 0)
                error = ArchiveFiles::CreateLocked(WorkingPath(), working);
        }
        if (error == 0 && ::ftruncate(working.Get(), 0) != 0)
            error = errno;
        if (error == 0)
            error = ArchiveFiles::WriteAll(working.Get(), bytes);
    }
    if (error == 0 && ::fsync(working.Get()) != 0)
        error = errno;
    if (error != 0) {
        kept.failedPath = ::access(folder.constData(), F_OK) == 0 ? wanted : folder;
        kept.error = error;
        return kept;
    }
    journal.MarkKeeping();
    const ArchiveNames::Claimed claimed = ArchiveNames::MoveToFreeName(folder, WorkingPath(), stem, ending,
                                                                       ArchiveNames::BinSuffix);
    if (claimed.error != 0) {
        kept.failedPath = wanted;
        kept.error = claimed.error;
        return kept;
    }
    working.Reset();
    ArchiveFiles::SyncFolder(folder);
    kept.binPath = folder + '/' + claimed.base + ArchiveNames::BinSuffix;
    journal.Remove(); // the bytes are on disk under their name
    if (!text.isNull()) {
        const QByteArray textPath = folder + '/' + claimed.base + ArchiveNames::TextSuffix;
        kept.error = ArchiveFiles::WriteNewFile(textPath, text);
        if (kept.error == 0) {
            ArchiveFiles::SyncFolder(folder);
            kept.textPath = textPath;
        } else {
            kept.failedPath = textPath;
        }
    }
    return kept;
}
