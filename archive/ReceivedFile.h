// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/PrintoutArchive.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// What the archive did with one reset's printout.
struct ArchiveOutcome
{
    QString binPath;    // the bytes as received
    QString textPath;   // the printout's text
    QString failedPath; // the file or folder that could not be written
    QString reason;     // why, in German
    QString detail;     // the path and the system's words, for the terminal

    bool Failed() const { return !failedPath.isEmpty(); }
};

// The bytes of one reset on their way into the archive. They go into a hidden
// working file as they arrive, so that a crash or a kill loses nothing: the
// page cache outlives the process, and the next start keeps what it finds
// (PrintoutArchive::KeepAbandoned). The working file is locked while this
// process lives, which tells other Zelvorins that it is still being written.
// All writing happens on a thread of its own: a slow or stalled disk never
// holds up the exchange with the machine.
class ReceivedFile
{
public:
    enum class Ending { Complete, CutOff, Incomplete };
    // Hidden files ".STEM.working-XXXXXX" hold bytes on their way in, and
    // ".STEM.text-XXXXXX" a text on its way to its name.
    static constexpr char WorkingMark[] = ".working-";
    static constexpr char TextMark[] = ".text-";

    // What a name says of how the data ended: "", "_abgeschnitten", "_unvollstaendig".
    static const char *Mark(Ending ending);

    // Starts the working file for a reset whose files are named `stem`.
    ReceivedFile(const PrintoutArchive &archive, const QString &stem);
    ~ReceivedFile();
    Q_DISABLE_COPY_MOVE(ReceivedFile)

    // Adds bytes as they arrived; returns at once. A failure to write them is
    // remembered, and the bytes are written whole when the reset is over.
    void Append(QByteArrayView bytes);
    // Once all appended bytes are written: makes the received bytes the final
    // .bin, synced. Waits for the disk: call it off the exchange's thread.
    ArchiveOutcome KeepBytes(const QByteArray &received, Ending ending);
    // Puts the printout's text beside the .bin that KeepBytes made.
    void KeepText(const QByteArray &utf8, ArchiveOutcome &outcome);
    // For an exit that skips the reset's end: what is on disk so far as an
    // incomplete .bin, with nothing but system calls.
    void KeepAsIncomplete();

    // The name stem, with its number when another reset took the plain one,
    // and the mark of how the data ended: "…_COM1_2_abgeschnitten".
    QString Base() const { return m_base; }

private:
    void WriteAsTheyCome();
    void FinishWriting();

    QByteArray m_folder;
    QString m_stem;
    QString m_base;
    QByteArray m_workingPath;
    std::atomic<int> m_descriptor = -1; // set by the writer once the file is made
    int m_error{};                      // the first failure of the writer
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<QByteArray> m_queue; // bytes not written yet
    bool m_finishing = false;
    std::thread m_writer;
};

namespace ArchiveFiles {
// Moves `from` to the first free name of stem, stem_2, stem_3 … followed by
// `tail`, never over an existing file. Returns that name's base (the name
// without ".bin"), or an error number.
struct Claimed
{
    QByteArray base;
    int error{};
};
Claimed MoveToFreeName(const QByteArray &folder, const QByteArray &from, const QByteArray &stem,
                       const QByteArray &tail);
// The folder and those above it, made where missing; 0 or an error number.
int MakeFolders(const QByteArray &folder);
// The reason for a failure to write (an errno), in German.
QString GermanReason(int error);
} // namespace ArchiveFiles
