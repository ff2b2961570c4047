// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/FileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// The bytes of one reset as they came, each in the kernel's hands before the
// reset's next port operation: a kill, even right after our SYN, loses none.
// It lies on a memory-backed file system where the session has one
// ($XDG_RUNTIME_DIR), so that writing it never waits for a disk; else hidden
// in the archive folder. It names the archive folder it belongs to, and stays
// locked while its program lives; the next start of any Zelvorin on that
// archive keeps what an ended one left.
struct AbandonedJournal;

class Journal
{
public:
    enum class Kind { Printout, Tail };

    // A new journal for the bytes of a reset whose files go to `archiveFolder`
    // (absolute) under `stem`. 0, or an error number.
    int Open(const QByteArray &archiveFolder, const QByteArray &stem, const QByteArray &token, Kind kind);
    bool IsOpen() const { return m_file.IsOpen(); }
    int Append(QByteArrayView bytes);
    // Says that the command string goes out now: only a SYN after the bytes
    // so far can end a printout. For a printout's journal.
    void MarkData();
    // Where the bytes after the command string begin: ArchiveNames::NoData
    // before; 0 where no journal says, as in an older Zelvorin's.
    qsizetype DataFrom() const { return m_dataFrom; }
    // Says that its bytes are being given their final name: from then on a
    // start that finds it without the working file knows they were.
    void MarkKeeping();
    // What was appended, read back.
    QByteArray Bytes() const;
    void Remove();
    QByteArray Path() const { return m_path; }

    // Where the journals of `archiveFolder` go.
    static QByteArray Folder(const QByteArray &archiveFolder);

    // The journals of `archiveFolder` left by programs that have ended,
    // locked now by the caller.
    static std::vector<AbandonedJournal> Abandoned(const QByteArray &archiveFolder);

private:
    static qsizetype DataOffset(AbandonedJournal &found, const QByteArray &archiveFolder);

    FileDescriptor m_file;
    QByteArray m_path;
    qsizetype m_dataAt{}; // where the bytes begin, after the header
    qsizetype m_dataFrom = 0;
    qsizetype m_appended{}; // bytes given to Append, written or not
    int m_error{};          // the first failure to append
};

// A journal that no running Zelvorin holds.
struct AbandonedJournal
{
    Journal journal;
    Journal::Kind kind = Journal::Kind::Printout;
    QByteArray stem;
    QByteArray token;
    bool keeping{}; // its bytes were being given their final name
};
