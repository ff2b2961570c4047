// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/ArchiveNames.h"
#include "printout/ListEntries.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One kept reset in the archive: its .bin and its .txt, or either alone.
struct ArchiveEntry
{
    QByteArray base; // the files' name without a suffix
    ArchiveNames::Parsed name;
    QByteArray binPath; // empty when there is none
    QByteArray textPath;
    qint64 size = -1; // of the file its printout is read from
    qint64 mtimeNs{}; // of that file

    // What the file holds, once read.
    bool read{};
    QString error;     // why it could not be read
    qsizetype lines{}; // of the printout, as the list shows them
    QString firstLine; // the first one that is not blank
    QByteArray folded; // all of them, case-folded, UTF-8, one per line: what a search looks through

    // The file its printout is read from: the bytes as received, else the text.
    QByteArray Path() const { return binPath.isEmpty() ? textPath : binPath; }
    // The ending as people read it: "vollständig", "abgeschnitten", "unvollständig", "Nachlauf".
    QString EndingText() const;
    // Whether its printout holds `text` anywhere, ignoring case; `text` as Fold gives it.
    bool Holds(const QByteArray &folded) const;
};

// What the archive holds, for people to find a printout again: read only,
// and the same for the window and the command line. What the files hold is
// kept, case-folded, in an index in the user's cache folder (never in the
// archive folder, which sync tools copy); it can be made anew from the files
// at any time, and is where it no longer matches them.
namespace ArchiveIndex {

// The kept resets in `folder` by their file names alone, newest first.
QList<ArchiveEntry> Scan(const QByteArray &folder);
// What each entry's file holds: from the index where it still matches the
// file, else from the file, in parallel; the index is then saved anew.
void Read(QList<ArchiveEntry> &entries, const QByteArray &folder);
// Where the index of `folder` lies.
QString IndexPath(const QByteArray &folder);
// `text` as Holds compares it.
QByteArray Fold(const QString &text);

// The printout in `path` as the list shows it: rendered from the bytes as
// received, or the lines of a .txt. Nothing, and why, when it cannot be read.
std::optional<ListEntries> Load(const QByteArray &path, QString *error);
// The reason a file could not be read (an errno), in German.
QString ReadError(int error);

} // namespace ArchiveIndex
