// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutArchive.h"

#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"
#include "printout/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

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
    default:
        return QStringLiteral("Schreibfehler");
    }
}

PrintoutArchive::Outcome Failure(const QString &path, int error)
{
    return {false, QString(), GermanReason(error),
            QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)))};
}

// Written under a temporary name, synced, then renamed: a crash or a full
// disk never leaves half a file under the final name.
int WriteWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return errno != 0 ? errno : EIO;
    return 0;
}

// The rename is durable only once the folder itself is on disk.
void SyncFolder(const QString &folder)
{
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

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

QString PrintoutArchive::FileStem(const QDateTime &when, const QString &port)
{
    QString name = port;
    name.replace(u'/', u'_');
    return when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss_")) + name;
}

QByteArray PrintoutArchive::PrintoutText(const QByteArray &received)
{
    const QByteArray lineEnd(Printout::LineEnd);
    QByteArray text = lineEnd;
    text.reserve(received.size() + received.size() / 8);
    Printout::RenderLines(received, [&](QByteArrayView line) {
        if (line.startsWith(Printout::StatusPrefix)) // the copy leaves these out too
            return;
        Printout::AppendWindows1252AsUtf8(line, text);
        text += lineEnd;
    });
    return text;
}

PrintoutArchive::Outcome PrintoutArchive::Keep(const QByteArray &received, const QString &port,
                                               const QDateTime &when, bool complete) const
{
    errno = 0;
    if (!QDir().mkpath(m_folder))
        return Failure(m_folder, errno != 0 ? errno : EIO);

    // A second reset within the same second gets a name of its own.
    const QDir folder(m_folder);
    const QString stem = FileStem(when, port);
    QString base = stem;
    for (int count = 2; folder.exists(base + QStringLiteral(".bin")) || folder.exists(base + QStringLiteral(".txt"))
         || folder.exists(base + QLatin1StringView(IncompleteMark) + QStringLiteral(".bin"));
         ++count)
        base = stem + QStringLiteral("_%1").arg(count);

    const QString bin = folder.filePath(base + (complete ? QString() : QString::fromLatin1(IncompleteMark))
                                        + QStringLiteral(".bin"));
    if (const int error = WriteWhole(bin, received))
        return Failure(bin, error);
    if (complete) {
        const QString text = folder.filePath(base + QStringLiteral(".txt"));
        if (const int error = WriteWhole(text, PrintoutText(received)))
            return Failure(text, error);
    }
    SyncFolder(m_folder);
    return {true, bin, QString(), QString()};
}
