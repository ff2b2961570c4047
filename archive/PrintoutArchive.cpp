// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutArchive.h"

#include "ReceivedFile.h"

#include <QFile>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

PrintoutArchive::PrintoutArchive(QByteArray folder)
    : m_folder(std::move(folder))
{}

QByteArray PrintoutArchive::FolderFromEnvironment()
{
    if (qEnvironmentVariableIsSet(FolderVariable))
        return qgetenv(FolderVariable);
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                             + QStringLiteral("/Ausdrucke"));
}

QString PrintoutArchive::FileStem(const QDateTime &began, const QString &port)
{
    // A device path names its files by the device: "/dev/pts/3" and "pts/3"
    // (which is under /dev) as "pts_3", "/home/x/automat" as "automat".
    QString name = port.startsWith(QLatin1StringView("/dev/")) ? port.mid(5) : port;
    if (name.startsWith(u'/') || name.startsWith(u'.'))
        name = name.section(u'/', -1);
    name.replace(u'/', u'_');
    return began.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss_")) + name;
}

QStringList PrintoutArchive::KeepAbandoned() const
{
    QStringList kept;
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(IsEnabled() ? ::opendir(m_folder.constData()) : nullptr,
                                                       &::closedir);
    if (!listing)
        return kept;
    constexpr qsizetype RandomPart = 6; // mkostemp's XXXXXX
    while (const dirent *entry = ::readdir(listing.get())) {
        // ".STEM.working-XXXXXX" or ".STEM.text-XXXXXX", in the file system's bytes.
        const QByteArray name(entry->d_name);
        const auto markAt = [&name](QByteArrayView mark) -> std::optional<qsizetype> {
            const qsizetype at = name.size() - RandomPart - mark.size();
            return at > 1 && name.startsWith('.') && name.sliced(at, mark.size()) == mark ? std::optional(at)
                                                                                          : std::nullopt;
        };
        const std::optional<qsizetype> textAt = markAt(ReceivedFile::TextMark);
        const std::optional<qsizetype> stemEnd = textAt ? textAt : markAt(ReceivedFile::WorkingMark);
        if (!stemEnd)
            continue;
        const QByteArray path = m_folder + '/' + name;
        const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        // Locked: its reset still runs (a file that did not open cannot be
        // locked either). Gone since it was listed: another start took it.
        struct stat opened
        {};
        struct stat named
        {};
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && ::fstat(descriptor, &opened) == 0
            && ::stat(path.constData(), &named) == 0 && opened.st_ino == named.st_ino
            && opened.st_dev == named.st_dev) {
            if (opened.st_size == 0) {
                // just being made, or nothing arrived: left alone
            } else if (textAt) {
                ::unlink(path.constData()); // a text the .bin beside it holds whole
            } else {
                const QByteArray tail = QByteArray(IncompleteMark) + ".bin";
                const ArchiveFiles::Claimed claimed = ArchiveFiles::MoveToFreeName(m_folder, path,
                                                                                   name.sliced(1, *stemEnd - 1), tail);
                if (claimed.error == 0)
                    kept << QFile::decodeName(m_folder + '/' + claimed.base + ".bin");
            }
        }
        ::close(descriptor);
    }
    return kept;
}
