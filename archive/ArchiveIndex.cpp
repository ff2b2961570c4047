// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveIndex.h"

#include "ArchiveFiles.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr quint32 IndexMagic = 0x5A455649; // "ZEVI"
constexpr quint32 IndexVersion = 2;

// What the index keeps of a file, recognised by its size and time.
struct Known
{
    qint64 size{};
    qint64 mtimeNs{};
    qint64 lines{};
    QString firstLine;
    QByteArray folded;
};

QDataStream &operator<<(QDataStream &out, const Known &known)
{
    return out << known.size << known.mtimeNs << known.lines << known.firstLine << known.folded;
}

QDataStream &operator>>(QDataStream &in, Known &known)
{
    return in >> known.size >> known.mtimeNs >> known.lines >> known.firstLine >> known.folded;
}

// Empty where there is none, or another kind, or one cut short or spoiled: made anew from the files.
QHash<QByteArray, Known> LoadIndex(const QString &path)
{
    QHash<QByteArray, Known> known;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return known;
    QDataStream in(&file);
    quint32 magic = 0;
    quint32 version = 0;
    in >> magic >> version;
    if (magic == IndexMagic && version == IndexVersion)
        in >> known; // emptied again where the stream fails
    return known;
}

void SaveIndex(const QString &path, const QList<ArchiveEntry> &entries)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return; // without an index, the next look reads the files again
    QHash<QByteArray, Known> known;
    for (const ArchiveEntry &entry : entries) {
        if (entry.read && entry.error.isEmpty())
            known.insert(entry.base, {entry.size, entry.mtimeNs, entry.lines, entry.firstLine, entry.folded});
    }
    QDataStream out(&file);
    out << IndexMagic << IndexVersion << known;
    file.commit();
}

void ReadFile(ArchiveEntry &entry)
{
    entry.read = true;
    const std::optional<ListEntries> lines = ArchiveIndex::Load(entry.Path(), &entry.error);
    if (!lines)
        return;
    // The list's last entry is the empty one that ends every printout: no line of its own.
    entry.lines = std::max<qsizetype>(0, lines->size() - 1);
    lines->ForEach([&entry](QStringView line) {
        if (entry.firstLine.isEmpty() && !line.trimmed().isEmpty())
            entry.firstLine = line.trimmed().toString();
    });
    entry.folded = ArchiveIndex::Fold(Printout::JoinLines(*lines, QLatin1StringView("\n")));
}

} // namespace

QString ArchiveEntry::EndingText() const
{
    switch (name.ending) {
    case ArchiveNames::Ending::Complete:
        return QStringLiteral("vollständig");
    case ArchiveNames::Ending::CutOff:
        return QStringLiteral("abgeschnitten");
    case ArchiveNames::Ending::Incomplete:
        return QStringLiteral("unvollständig");
    case ArchiveNames::Ending::Tail:
        break;
    }
    return QStringLiteral("Nachlauf");
}

bool ArchiveEntry::Holds(const QByteArray &text) const
{
    return folded.contains(text);
}

namespace ArchiveIndex {

QList<ArchiveEntry> Scan(const QByteArray &folder)
{
    QHash<QByteArray, ArchiveEntry> found;
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(::opendir(folder.constData()), &::closedir);
    while (const dirent *file = listing ? ::readdir(listing.get()) : nullptr) {
        const QByteArray name(file->d_name);
        const ArchiveNames::Parsed parsed = ArchiveNames::Parse(QFile::decodeName(name));
        if (!parsed.valid)
            continue;
        const QByteArray base = name.chopped(qstrlen(ArchiveNames::BinSuffix));
        ArchiveEntry &entry = found[base];
        entry.base = base;
        entry.name = parsed;
        (parsed.text ? entry.textPath : entry.binPath) = folder + '/' + name;
    }
    QList<ArchiveEntry> entries = found.values();
    for (ArchiveEntry &entry : entries) {
        struct stat file
        {};
        if (::stat(entry.Path().constData(), &file) == 0) {
            entry.size = file.st_size;
            entry.mtimeNs = qint64(file.st_mtim.tv_sec) * 1'000'000'000 + file.st_mtim.tv_nsec;
        }
    }
    // Newest first; of one reset, its printout before what came ahead of it.
    std::sort(entries.begin(), entries.end(), [](const ArchiveEntry &a, const ArchiveEntry &b) {
        const bool aFirst = a.name.ending != ArchiveNames::Ending::Tail;
        const bool bFirst = b.name.ending != ArchiveNames::Ending::Tail;
        return std::tie(a.name.began, a.name.number, aFirst, a.base)
               > std::tie(b.name.began, b.name.number, bFirst, b.base);
    });
    return entries;
}

void Read(QList<ArchiveEntry> &entries, const QByteArray &folder)
{
    const QString indexPath = IndexPath(folder);
    const QHash<QByteArray, Known> known = LoadIndex(indexPath);
    QList<ArchiveEntry *> unknown;
    for (ArchiveEntry &entry : entries) {
        const auto at = known.constFind(entry.base);
        if (at == known.cend() || at->size != entry.size || at->mtimeNs != entry.mtimeNs) {
            unknown << &entry;
            continue;
        }
        entry.read = true;
        entry.lines = at->lines;
        entry.firstLine = at->firstLine;
        entry.folded = at->folded;
    }
    // In parallel, but leaving a core to the window, which must keep answering.
    static QThreadPool readers;
    readers.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 2));
    if (QThread::idealThreadCount() > 2)
        QtConcurrent::blockingMap(&readers, unknown, [](ArchiveEntry *entry) { ReadFile(*entry); });
    else
        std::for_each(unknown.cbegin(), unknown.cend(), [](ArchiveEntry *entry) { ReadFile(*entry); });
    if (!unknown.isEmpty() || known.size() != entries.size())
        SaveIndex(indexPath, entries);
}

QString IndexPath(const QByteArray &folder)
{
    const QByteArray key = QCryptographicHash::hash(ArchiveFiles::AbsolutePath(folder), QCryptographicHash::Sha1);
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + QStringLiteral("/zelvorin/archiv-%1.index").arg(QString::fromLatin1(key.toHex().left(16)));
}

QByteArray Fold(const QString &text)
{
    return text.toCaseFolded().toUtf8();
}

std::optional<ListEntries> Load(const QByteArray &path, QString *error)
{
    // A plain file only: a pipe or a device would never end, and may be a port.
    struct stat info
    {};
    if (::stat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        *error = S_ISDIR(info.st_mode) ? ReadError(EISDIR) : QStringLiteral("keine gewöhnliche Datei");
        return std::nullopt;
    }
    const FileDescriptor file(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) {
        *error = ReadError(errno);
        return std::nullopt;
    }
    const QByteArray bytes = ArchiveFiles::ReadAll(file.Get());
    if (bytes.size() < info.st_size) {
        *error = ReadError(errno);
        return std::nullopt;
    }
    if (!path.endsWith(ArchiveNames::TextSuffix))
        return Printout::RenderPrintout(bytes);
    // A text as the archive writes it: each line followed by CR LF.
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1StringView(Printout::LineEnd));
    if (lines.last().isEmpty())
        lines.removeLast();
    ListEntries entries;
    // Never a control character, which a terminal would obey: a text may come from elsewhere.
    for (QString &line : lines)
        entries.Append(line.removeIf([](QChar c) { return c.category() == QChar::Other_Control; }));
    return entries;
}

QString ReadError(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("die Datei gibt es nicht mehr");
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Leseberechtigung");
    case EISDIR:
        return QStringLiteral("ein Ordner, keine Datei");
    default:
        return QStringLiteral("Lesefehler");
    }
}

} // namespace ArchiveIndex
