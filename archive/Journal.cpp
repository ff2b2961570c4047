// SPDX-License-Identifier: GPL-3.0-or-later
#include "Journal.h"

#include "ArchiveFiles.h"
#include "ArchiveNames.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char Magic[] = "zelvorin-journal 1\n";
constexpr const char *KindNames[] = {"printout", "nachlauf"};
// After a printout's kind, blanks until the command string has gone out, then
// where the data begins. Older Zelvorins, which write the kind alone, read
// the line as a printout's all the same.
constexpr int DataFromWidth = 20;
const qsizetype DataFromAt = qstrlen(Magic) + qstrlen(KindNames[int(Journal::Kind::Printout)]) + 1;

// "MAGIC kind[ data-from]\nstem\ntoken\nfolder-size\nfolder\n": the folder in its own bytes, which may hold anything.
QByteArray Header(Journal::Kind kind, const QByteArray &stem, const QByteArray &token, const QByteArray &folder)
{
    const QByteArray dataFrom = kind == Journal::Kind::Printout ? ' ' + QByteArray(DataFromWidth, ' ') : QByteArray();
    return Magic + QByteArray(KindNames[int(kind)]) + dataFrom + '\n' + stem + '\n' + token + '\n'
           + QByteArray::number(folder.size()) + '\n' + folder + '\n';
}

} // namespace

// Reads the header into `journal`: where its bytes begin, or -1 when it is not a whole journal of `archiveFolder`.
qsizetype Journal::DataOffset(AbandonedJournal &journal, const QByteArray &archiveFolder)
{
    QByteArray head(qstrlen(Magic) + 64 + DataFromWidth + PATH_MAX * 2, Qt::Uninitialized);
    head.truncate(std::max<ssize_t>(0, ::pread(journal.journal.m_file.Get(), head.data(), head.size(), 0)));
    const QList<QByteArray> fields = head.split('\n');
    if (!head.startsWith(Magic) || fields.size() < 6)
        return -1;
    const qsizetype folderAt = qstrlen(Magic) + fields[1].size() + fields[2].size() + fields[3].size()
                               + fields[4].size() + 4;
    const qsizetype folderSize = fields[4].toLongLong();
    if (head.size() <= folderAt + folderSize || head.sliced(folderAt, folderSize) != archiveFolder
        || head[folderAt + folderSize] != '\n')
        return -1;
    journal.kind = fields[1] == KindNames[int(Kind::Tail)] ? Kind::Tail : Kind::Printout;
    journal.stem = fields[2];
    journal.token = fields[3];
    // After the kind, where the data began; an older Zelvorin wrote the kind
    // alone, and counted every byte as data.
    const QByteArray after = fields[1].mid(qstrlen(KindNames[0]));
    bool inData = after.isEmpty();
    const qsizetype dataFrom = inData ? 0 : after.trimmed().toLongLong(&inData);
    journal.journal.m_dataFrom = inData ? dataFrom : ArchiveNames::NoData;
    return folderAt + folderSize + 1;
}

int Journal::Open(const QByteArray &archiveFolder, const QByteArray &stem, const QByteArray &token, Kind kind)
{
    const QByteArray folder = Folder(archiveFolder);
    ArchiveFiles::MakeFolders(folder);
    const QByteArray path = folder + '/' + ArchiveNames::Hidden(stem, ArchiveNames::JournalMark, token);
    FileDescriptor file;
    int error = ArchiveFiles::CreateLocked(path, file);
    if (error == 0)
        error = ArchiveFiles::WriteAll(file.Get(), Header(kind, stem, token, archiveFolder));
    if (error != 0) {
        if (file.IsOpen())
            ::unlink(path.constData());
        return error;
    }
    m_file = std::move(file);
    m_path = path;
    m_dataAt = Header(kind, stem, token, archiveFolder).size();
    m_dataFrom = ArchiveNames::NoData;
    return 0;
}

QByteArray Journal::Bytes() const
{
    return ArchiveFiles::ReadAll(m_file.Get()).mid(m_dataAt);
}

int Journal::Append(QByteArrayView bytes)
{
    // After a failure, no more: what it holds stays the start of what came, without a gap.
    if (m_error == 0)
        m_error = ArchiveFiles::WriteAll(m_file.Get(), bytes);
    m_appended += bytes.size();
    return m_error;
}

void Journal::MarkData()
{
    m_dataFrom = m_appended;
    // In place: the journal is opened for appending, which pwrite would obey.
    // Where this fails the blanks stay, and a start that keeps it claims no whole printout.
    const int flags = ::fcntl(m_file.Get(), F_GETFL);
    const QByteArray field = QByteArray::number(m_dataFrom).leftJustified(DataFromWidth);
    if (::fcntl(m_file.Get(), F_SETFL, flags & ~O_APPEND) == 0) {
        const ssize_t written = ::pwrite(m_file.Get(), field.constData(), field.size(), DataFromAt);
        Q_UNUSED(written)
        ::fcntl(m_file.Get(), F_SETFL, flags);
    }
}

void Journal::MarkKeeping()
{
    const qsizetype at = m_path.lastIndexOf(ArchiveNames::JournalMark);
    if (at < 0)
        return;
    QByteArray keeping = m_path;
    keeping.replace(at, qstrlen(ArchiveNames::JournalMark), ArchiveNames::KeepingMark);
    if (::rename(m_path.constData(), keeping.constData()) == 0)
        m_path = keeping;
}

void Journal::Remove()
{
    ::unlink(m_path.constData());
    m_file.Reset();
}

QByteArray Journal::Folder(const QByteArray &archiveFolder)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.startsWith('/'))
        return archiveFolder;
    const QByteArray folder = runtime + "/zelvorin";
    ::mkdir(folder.constData(), 0700);
    return ::access(folder.constData(), W_OK | X_OK) == 0 ? folder : archiveFolder;
}

std::vector<AbandonedJournal> Journal::Abandoned(const QByteArray &archiveFolder)
{
    std::vector<AbandonedJournal> found;
    QList<QByteArray> folders = {Folder(archiveFolder)};
    if (folders.first() != archiveFolder)
        folders << archiveFolder; // left there by a run without a memory-backed folder
    for (const QByteArray &folder : std::as_const(folders)) {
        for (const QByteArray &name : ArchiveFiles::HiddenNames(folder)) {
            const ArchiveNames::HiddenName hidden = ArchiveNames::ParseHidden(name);
            if (hidden.mark != ArchiveNames::JournalMark && hidden.mark != ArchiveNames::KeepingMark)
                continue;
            AbandonedJournal journal;
            journal.journal.m_path = folder + '/' + name;
            journal.journal.m_file = ArchiveFiles::OpenAbandoned(journal.journal.m_path, O_RDONLY);
            if (!journal.journal.IsOpen())
                continue; // its program still runs, or another start took it
            const qsizetype dataAt = DataOffset(journal, archiveFolder);
            if (dataAt < 0)
                continue; // another archive's, not whole yet, or none of ours: left alone
            journal.journal.m_dataAt = dataAt;
            journal.keeping = hidden.mark == ArchiveNames::KeepingMark;
            found.push_back(std::move(journal));
        }
    }
    return found;
}
