// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveFiles.h"

#include "ArchiveNames.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>

namespace ArchiveFiles {

namespace {

constexpr mode_t NewFileMode = 0666; // less what the umask takes, as for any new document

QByteArray FolderOf(const QByteArray &path)
{
    return path.first(std::max<qsizetype>(1, path.lastIndexOf('/')));
}

QByteArray NameOf(const QByteArray &path)
{
    return path.sliced(path.lastIndexOf('/') + 1);
}

// Where the file system can: an unnamed file that gets its name only when asked.
FileDescriptor OpenUnnamed(const QByteArray &folder)
{
    return FileDescriptor(::open(folder.constData(), O_TMPFILE | O_RDWR | O_APPEND | O_CLOEXEC, NewFileMode));
}

int GiveName(const FileDescriptor &file, const QByteArray &path)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.Get());
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

} // namespace

int WriteAll(int descriptor, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype size = bytes.size();
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

int MakeFolders(const QByteArray &folder)
{
    for (qsizetype end = 1; end <= folder.size(); ++end) {
        if ((end == folder.size() || folder[end] == '/') && ::mkdir(folder.first(end).constData(), 0777) != 0
            && errno != EEXIST)
            return errno;
    }
    return 0;
}

void SyncFolder(const QByteArray &folder)
{
    const FileDescriptor opened(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ::fsync(opened.Get());
}

int CreateLocked(const QByteArray &path, FileDescriptor &file)
{
    FileDescriptor unnamed = OpenUnnamed(FolderOf(path));
    if (unnamed.IsOpen()) {
        ::flock(unnamed.Get(), LOCK_EX);
        const int error = GiveName(unnamed, path);
        if (error == 0)
            file = std::move(unnamed);
        return error;
    }
    // Named at once where unnamed files are not to be had (or did not work,
    // which tells its error the same way), and locked right after. A start
    // that finds it in between takes it for an empty leftover: the reset then
    // writes its bytes afresh when it keeps them.
    FileDescriptor named(::open(path.constData(), O_CREAT | O_EXCL | O_RDWR | O_APPEND | O_CLOEXEC, NewFileMode));
    if (!named.IsOpen())
        return errno;
    ::flock(named.Get(), LOCK_EX);
    file = std::move(named);
    return 0;
}

int WriteNewFile(const QByteArray &path, QByteArrayView bytes)
{
    const QByteArray folder = FolderOf(path);
    FileDescriptor unnamed = OpenUnnamed(folder);
    if (unnamed.IsOpen()) {
        int error = WriteAll(unnamed.Get(), bytes);
        if (error == 0 && ::fsync(unnamed.Get()) != 0)
            error = errno;
        return error == 0 ? GiveName(unnamed, path) : error;
    }
    // Else under a hidden name first, moved to its own once it is whole.
    const QByteArray temporary = folder + '/'
                                 + ArchiveNames::Hidden(NameOf(path), ArchiveNames::TextMark, ArchiveNames::NewToken());
    FileDescriptor named;
    int error = CreateLocked(temporary, named);
    if (error != 0)
        return error;
    error = WriteAll(named.Get(), bytes);
    if (error == 0 && ::fsync(named.Get()) != 0)
        error = errno;
    if (error == 0)
        error = ArchiveNames::MoveWithoutReplacing(temporary, path);
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

FileDescriptor OpenAbandoned(const QByteArray &path, int flags)
{
    // Not waiting: a pipe under such a name would hold the start up for good.
    FileDescriptor file(::open(path.constData(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat opened
    {};
    struct stat named
    {};
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode)
        || ::stat(path.constData(), &named) != 0 || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev)
        file.Reset();
    return file;
}

QByteArray ReadAll(int descriptor)
{
    QByteArray all;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::pread(descriptor, buffer, sizeof buffer, all.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return all;
        all.append(buffer, got);
    }
}

QList<QByteArray> HiddenNames(const QByteArray &folder)
{
    QList<QByteArray> names;
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(::opendir(folder.constData()), &::closedir);
    while (const dirent *entry = listing ? ::readdir(listing.get()) : nullptr) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            names << name;
    }
    return names;
}

QByteArray AbsolutePath(const QByteArray &path)
{
    char folder[PATH_MAX];
    const QByteArray absolute = path.startsWith('/') || !::getcwd(folder, sizeof folder)
                                        ? path
                                        : QByteArray(folder) + '/' + path;
    if (!absolute.startsWith('/'))
        return absolute;
    // One spelling for one folder: a journal names its archive by it.
    QByteArray clean;
    for (const QByteArray &part : absolute.split('/')) {
        if (!part.isEmpty() && part != ".")
            clean += '/' + part;
    }
    return clean.isEmpty() ? QByteArray("/") : clean;
}

QString GermanReason(int error)
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

} // namespace ArchiveFiles
