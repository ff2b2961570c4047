// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <limits>

struct ResetRecord;

// How the archive names its files, and the one way a file gets its final name.
//
// A reset's files are named by the local time it began and its port, then a
// number when another reset took the name, then how the data ended:
// 2026-12-06_14-32-05_COM1.bin, …_COM1_2.txt, …_pts_3_unvollstaendig.bin.
// A name holds only ASCII letters, digits, "-", "_" and ".", so that any
// file system and sync tool carries it.
namespace ArchiveNames {

inline constexpr char BinSuffix[] = ".bin";  // the bytes as received
inline constexpr char TextSuffix[] = ".txt"; // the printout's text, UTF-8
inline constexpr char TimeFormat[] = "yyyy-MM-dd_HH-mm-ss";
// Names tried before giving up: far more resets than fit into one second.
inline constexpr int MaxNumber = 1000;

enum class Ending {
    Complete,   // ended with the machine's SYN
    CutOff,     // went past the bound
    Incomplete, // cut short
    Tail,       // came before the first poll: the rest of an earlier printout
};
QByteArray Mark(Ending ending); // "", "_abgeschnitten", "_unvollstaendig", "_nachlauf"
Ending EndingOf(const ResetRecord &record);
// For bytes alone, when nothing else is known of the reset: by their end,
// where that came after the command string had gone out at byte `dataFrom`.
// A poll's answer that ends in SYN ends no printout.
inline constexpr qsizetype NoData = std::numeric_limits<qsizetype>::max(); // the command never went out
Ending EndingOfBytes(QByteArrayView received, qsizetype dataFrom);

// "2026-12-06_14-32-05_COM1"
QByteArray Stem(const QDateTime &began, const QString &port);
// The name the archive gave a reset's files, or would give them, without a
// suffix: "2026-12-06_14-32-05_COM1_2_unvollstaendig".
QString BaseOf(const ResetRecord &record);
// The port as names hold it: a device path by its name under /dev, or its
// last part, with every other character as "_": "/dev/pts/3" is "pts_3".
QByteArray PortPart(const QString &port);

// Hidden files of a reset still running: ".STEM.working-TOKEN" holds the
// bytes on their way in (".STEM.nachlauf-TOKEN" those that came before the
// first poll), ".STEM.journal-TOKEN" the journal, renamed to
// ".STEM.keeping-TOKEN" once the bytes are being given their final name,
// ".STEM.text-TOKEN" a text on its way.
inline constexpr char WorkingMark[] = ".working-";
inline constexpr char TailMark[] = ".nachlauf-";
inline constexpr char JournalMark[] = ".journal-";
inline constexpr char KeepingMark[] = ".keeping-";
inline constexpr char TextMark[] = ".text-";
QByteArray Hidden(const QByteArray &stem, const char *mark, const QByteArray &token);
// A new random token for the hidden files of one reset.
QByteArray NewToken();
struct HiddenName
{
    QByteArray stem;
    QByteArray mark; // one of the marks above; empty when the name is none of ours
    QByteArray token;
};
HiddenName ParseHidden(const QByteArray &name);

// Moves `from` to `to` unless `to` exists; where the file system cannot
// rename that way, with a hard link. 0, or an error number.
int MoveWithoutReplacing(const QByteArray &from, const QByteArray &to);
// Moves `from` in `folder` to the first free name of stem, stem_2, stem_3 …
// followed by the ending's mark and `suffix`. The base that was free (the
// name without its suffix), or an error number.
struct Claimed
{
    QByteArray base;
    int error{};
};
Claimed MoveToFreeName(const QByteArray &folder, const QByteArray &from, const QByteArray &stem, Ending ending,
                       const char *suffix);

// What a kept file's name says.
struct Parsed
{
    bool valid{};
    QDateTime began;
    QString port; // as the name holds it: "COM1", "pts_3"
    int number{}; // 1 for the first name of its second
    Ending ending = Ending::Complete;
    bool text{}; // a .txt, else a .bin
};
Parsed Parse(const QString &fileName);

} // namespace ArchiveNames
