// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceivedFile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names tried before giving up: far more resets than fit into one second.
constexpr int MaxNameNumber = 1000;
constexpr mode_t ArchiveFileMode = 0644;

int WriteAll(int descriptor, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= written;
    }
    return 0;
}

// A rename that never replaces; where the file system cannot, a hard link.
int MoveWithoutReplacing(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

// The rename is durable only once the folder itself is on disk.
void SyncFolder(const QByteArray &folder)
{
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(descriptor); // both fail harmlessly when the folder did not open
    ::close(descriptor);
}

} // namespace

int ArchiveFiles::MakeFolders(const QByteArray &folder)
{
    for (qsizetype end = 1; end <= folder.size(); ++end) {
        if ((end == folder.size() || folder[end] == '/') && ::mkdir(folder.first(end).constData(), 0777) != 0
            && errno != EEXIST)
            return errno;
    }
    return 0;
}

namespace {

// A new locked file in `folder`, hidden, named after the stem, into
// `descriptor` and `path`: 0, or why it could not be made.
int CreateWorkingFile(const QByteArray &folder, const QString &stem, const char *mark, int &descriptor,
                      QByteArray &path)
{
    QByteArray name = folder + "/." + QFile::encodeName(stem) + mark + "XXXXXX";
    descriptor = ::mkostemp(name.data(), O_CLOEXEC | O_APPEND);
    if (descriptor < 0)
        return errno;
    ::fchmod(descriptor, ArchiveFileMode); // as other documents, not mkostemp's 0600
    // Blocking: another start that looks at working files holds the lock
    // for a moment only, and lets an empty file be.
    ::flock(descriptor, LOCK_EX);
    path = name;
    return 0;
}

ArchiveOutcome Failure(const QString &path, int error)
{
    ArchiveOutcome outcome;
    outcome.failedPath = path;
    outcome.reason = ArchiveFiles::GermanReason(error);
    outcome.detail = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    return outcome;
}

} // namespace

QString ArchiveFiles::GermanReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("der Datenträger ist voll");
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Schreibberechtigung");
    case EROFS:
        return QStringLiteral("der Datenträger ist schreibgeschützt");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("der Ordner lässt sich nicht anlegen");
    case EPIPE:
        return QStringLiteral("der Leser ist nicht mehr da");
    default:
        return QStringLiteral("Schreibfehler");
    }
}

ArchiveFiles::Claimed ArchiveFiles::MoveToFreeName(const QByteArray &folder, const QByteArray &from,
                                                   const QByteArray &stem, const QByteArray &tail)
{
    const qsizetype suffix = tail.lastIndexOf('.');
    for (int number = 1; number <= MaxNameNumber; ++number) {
        const QByteArray numbered = number == 1 ? stem : stem + '_' + QByteArray::number(number);
        const int error = MoveWithoutReplacing(from, folder + '/' + numbered + tail);
        if (error != EEXIST) {
            if (error == 0)
                SyncFolder(folder);
            return {numbered + tail.first(suffix), error};
        }
    }
    return {QByteArray(), EEXIST};
}

const char *ReceivedFile::Mark(Ending ending)
{
    switch (ending) {
    case Ending::Complete:
        return "";
    case Ending::CutOff:
        return PrintoutArchive::CutOffMark;
    case Ending::Incomplete:
        break;
    }
    return PrintoutArchive::IncompleteMark;
}

ReceivedFile::ReceivedFile(const PrintoutArchive &archive, const QString &stem)
    : m_folder(archive.FolderPath())
    , m_stem(stem)
    , m_writer(&ReceivedFile::WriteAsTheyCome, this)
{}

ReceivedFile::~ReceivedFile()
{
    FinishWriting();
    // Left in place when the bytes were not kept: the next start keeps them.
    ::close(m_descriptor); // harmless when there is none
}

void ReceivedFile::WriteAsTheyCome()
{
    m_error = ArchiveFiles::MakeFolders(m_folder);
    if (m_error == 0) {
        QByteArray path;
        int descriptor;
        m_error = CreateWorkingFile(m_folder, m_stem, WorkingMark, descriptor, path);
        m_workingPath = path;
        m_descriptor = descriptor; // the path is set before anyone can see the file
    }
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_finishing || !m_queue.isEmpty(); });
        const QList<QByteArray> pending = std::exchange(m_queue, {});
        if (pending.isEmpty())
            return; // finishing, with everything written
        lock.unlock();
        for (const QByteArray &bytes : pending) {
            if (m_error == 0) // else the file was never made, or a write failed: all goes afresh at the end
                m_error = WriteAll(m_descriptor, bytes.constData(), bytes.size());
        }
        lock.lock();
    }
}

void ReceivedFile::FinishWriting()
{
    if (!m_writer.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

void ReceivedFile::Append(QByteArrayView bytes)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queue.append(bytes.toByteArray());
    }
    m_wake.notify_one();
}

ArchiveOutcome ReceivedFile::KeepBytes(const QByteArray &received, Ending ending)
{
    FinishWriting();
    const QByteArray tail = QByteArray(Mark(ending)) + ".bin";
    const QString wanted = QFile::decodeName(m_folder + '/' + QFile::encodeName(m_stem) + tail);
    struct stat folder
    {};
    if (m_descriptor < 0 && (::stat(m_folder.constData(), &folder) != 0 || !S_ISDIR(folder.st_mode)))
        return Failure(QFile::decodeName(m_folder), m_error);

    // What appending missed is written afresh, whole; the part on disk
    // stays until that has worked, for the next start to keep.
    if (m_error != 0) {
        QByteArray path; // stays empty, and the calls below fail harmlessly, where a file was not made
        int descriptor;
        int error = CreateWorkingFile(m_folder, m_stem, WorkingMark, descriptor, path);
        if (error == 0)
            error = WriteAll(descriptor, received.constData(), received.size());
        if (error != 0) {
            ::close(descriptor);
            ::unlink(path.constData());
            return Failure(wanted, error);
        }
        ::close(m_descriptor);
        ::unlink(m_workingPath.constData());
        m_descriptor = descriptor;
        m_workingPath = path;
    }
    if (::fsync(m_descriptor) != 0)
        return Failure(wanted, errno);
    const ArchiveFiles::Claimed claimed = ArchiveFiles::MoveToFreeName(m_folder, m_workingPath,
                                                                       QFile::encodeName(m_stem), tail);
    if (claimed.error != 0)
        return Failure(wanted, claimed.error);
    m_base = QFile::decodeName(claimed.base);
    ArchiveOutcome outcome;
    outcome.binPath = QFile::decodeName(m_folder + '/' + claimed.base + ".bin");
    return outcome;
}

void ReceivedFile::KeepText(const QByteArray &utf8, ArchiveOutcome &outcome)
{
    const QString path = QFile::decodeName(m_folder + '/' + QFile::encodeName(m_base) + ".txt");
    QByteArray temporary; // stays empty, and the calls below fail harmlessly, where a file was not made
    int descriptor;
    int error = CreateWorkingFile(m_folder, m_base, TextMark, descriptor, temporary);
    if (error == 0)
        error = WriteAll(descriptor, utf8.constData(), utf8.size());
    if (error == 0 && ::fsync(descriptor) != 0)
        error = errno;
    if (error == 0)
        error = MoveWithoutReplacing(temporary, QFile::encodeName(path));
    if (error != 0)
        ::unlink(temporary.constData());
    ::close(descriptor);
    if (error != 0) {
        const ArchiveOutcome failed = Failure(path, error);
        outcome.failedPath = failed.failedPath;
        outcome.reason = failed.reason;
        outcome.detail = failed.detail;
        return;
    }
    SyncFolder(m_folder);
    outcome.textPath = path;
}

void ReceivedFile::KeepAsIncomplete()
{
    if (m_descriptor < 0)
        return; // not made yet: nothing to keep
    ::fsync(m_descriptor);
    const QByteArray tail = QByteArray(PrintoutArchive::IncompleteMark) + ".bin";
    ArchiveFiles::MoveToFreeName(m_folder, m_workingPath, QFile::encodeName(m_stem),
                                 tail); // the descriptor goes with the process
}
