// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutArchive.h"

#include "ArchiveFiles.h"
#include "Recording.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"

#include <QSet>
#include <QStandardPaths>

#include <fcntl.h>

namespace {

QByteArray TextOf(QByteArrayView bytes)
{
    return Printout::JoinLines(Printout::RenderPrintout(bytes)).toUtf8();
}

} // namespace

QByteArray PrintoutArchive::FolderFromEnvironment()
{
    if (qEnvironmentVariableIsSet(FolderVariable))
        return qgetenv(FolderVariable);
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                             + QStringLiteral("/Ausdrucke"));
}

QStringList PrintoutArchive::KeepAbandoned() const
{
    QStringList kept;
    if (!IsEnabled())
        return kept;
    const QByteArray folder = ArchiveFiles::AbsolutePath(m_folder);
    const auto keep = [&](Recording &recording, const QByteArray &bytes, bool tail) {
        const ArchiveNames::Ending ending = tail ? ArchiveNames::Ending::Tail
                                                 : ArchiveNames::EndingOfBytes(bytes, recording.journal.DataFrom());
        const QByteArray bin = recording.Keep(bytes, ending, tail ? QByteArray() : TextOf(bytes)).binPath;
        if (!bin.isEmpty())
            kept << QFile::decodeName(bin);
    };

    // The journals first: they hold every byte that came.
    QSet<QByteArray> journaled;
    for (AbandonedJournal &found : Journal::Abandoned(folder)) {
        const bool tail = found.kind == Journal::Kind::Tail;
        Recording recording{folder, found.stem, found.token, tail, std::move(found.journal)};
        journaled << found.token;
        recording.working = ArchiveFiles::OpenAbandoned(recording.WorkingPath(), O_RDWR | O_APPEND);
        if (found.keeping && !recording.working.IsOpen() && ::access(recording.WorkingPath().constData(), F_OK) != 0)
            recording.journal.Remove(); // its bytes have their name already
        else
            keep(recording, recording.BytesSoFar(), tail);
    }
    // Working files no journal speaks for: a journal lost with the memory
    // that held it (a power cut), or none to be had.
    for (const QByteArray &name : ArchiveFiles::HiddenNames(folder)) {
        const ArchiveNames::HiddenName hidden = ArchiveNames::ParseHidden(name);
        const bool tail = hidden.mark == ArchiveNames::TailMark;
        const bool working = tail || hidden.mark == ArchiveNames::WorkingMark;
        if ((!working && hidden.mark != ArchiveNames::TextMark) || journaled.contains(hidden.token))
            continue;
        const QByteArray path = folder + '/' + name;
        Recording recording{folder, hidden.stem, hidden.token, tail};
        recording.working = ArchiveFiles::OpenAbandoned(path, O_RDWR | O_APPEND);
        if (!recording.working.IsOpen())
            continue; // its reset still runs, or another start took it
        const QByteArray bytes = ArchiveFiles::ReadAll(recording.working.Get());
        if (!working || bytes.isEmpty())
            ::unlink(path.constData()); // nothing arrived, or a text the .bin beside it holds whole
        else
            keep(recording, bytes, tail);
    }
    return kept;
}
