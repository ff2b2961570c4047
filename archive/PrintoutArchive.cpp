// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutArchive.h"

#include "ReceivedFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

PrintoutArchive::PrintoutArchive(QString folder)
    : m_folder(std::move(folder))
{
}

QString PrintoutArchive::FolderFromEnvironment()
{
    if (qEnvironmentVariableIsSet(FolderVariable))
        return QFile::decodeName(qgetenv(FolderVariable));
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Ausdrucke");
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
    if (!IsEnabled())
        return kept;
    static const QRegularExpression pattern(QStringLiteral("^\\.(.+)(%1|%2)[A-Za-z0-9]{6}$")
                                                .arg(QRegularExpression::escape(QLatin1StringView(ReceivedFile::WorkingMark)),
                                                     QRegularExpression::escape(QLatin1StringView(ReceivedFile::TextMark))));
    const QByteArray folder = QFile::encodeName(m_folder);
    for (const QString &name : QDir(m_folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const QByteArray path = folder + '/' + QFile::encodeName(name);
        const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (descriptor < 0)
            continue;
        // Locked: its reset still runs. Gone since it was listed: another start took it.
        struct stat opened{};
        struct stat named{};
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && ::fstat(descriptor, &opened) == 0
            && ::stat(path.constData(), &named) == 0 && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
            if (opened.st_size == 0) {
                // just being made, or nothing arrived: left alone
            } else if (match.captured(2) == QLatin1StringView(ReceivedFile::TextMark)) {
                ::unlink(path.constData()); // a text the .bin beside it holds whole
            } else {
                const QByteArray tail = QByteArray(IncompleteMark) + ".bin";
                const ArchiveFiles::Claimed claimed =
                    ArchiveFiles::MoveToFreeName(folder, path, QFile::encodeName(match.captured(1)), tail);
                if (claimed.error == 0)
                    kept << QFile::decodeName(folder + '/' + claimed.base + ".bin");
            }
        }
        ::close(descriptor);
    }
    return kept;
}
