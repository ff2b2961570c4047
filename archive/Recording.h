// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/ArchiveNames.h"
#include "archive/FileDescriptor.h"
#include "archive/Journal.h"

#include <QByteArray>

// The bytes of one reset on their way into the archive: the journal holds
// them before our SYN goes out, and a hidden working file in the archive
// folder fills as they come, so that a power cut keeps what reached the disk.
// Its writer's thread alone touches the working file.
struct Recording
{
    QByteArray folder; // the archive's, absolute
    QByteArray stem;
    QByteArray token;
    bool tail{}; // bytes that came before the first poll
    Journal journal;
    FileDescriptor working;
    int workingError{}; // the first failure to write the working file

    QByteArray WorkingPath() const;
    // What came so far: the longer of the journal's bytes and the working
    // file's, each of which stops at its first failed write.
    QByteArray BytesSoFar() const;
    // Makes the working file; the first thing its writer does.
    void StartWorking();
    void AppendToWorking(QByteArrayView bytes);

    // What keeping the bytes did, in the file system's bytes.
    struct Kept
    {
        QByteArray binPath;
        QByteArray textPath;
        QByteArray failedPath; // the file or folder that could not be written
        int error{};
    };
    // Gives `bytes` their final name, "STEM[_n]MARK.bin", synced, with
    // `text` beside it unless it is null; then the journal goes. Whatever
    // the working file missed is written afresh, also into a folder made
    // again. When the .bin fails, the journal stays for the next start.
    Kept Keep(QByteArrayView bytes, ArchiveNames::Ending ending, const QByteArray &text);
};
