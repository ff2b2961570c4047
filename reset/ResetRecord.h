// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>

// The port a reset runs on, as its host chose it.
struct PortChoice
{
    int16_t number{}; // 1 is COM1; 0 names no port
    QString name;     // as the user gave it: "COM1", or a device path
    QString device;   // the device behind it, as people read it; empty when there is none

    // "COM1 (/dev/ttyUSB0)", or a device path alone.
    QString Label() const;
};

// Why the exchange with the machine ended.
enum class StopCause {
    MachineSyn, // the data ended with the machine's SYN
    Bound,      // the data went past its bound and was cut off
    Close,      // the window was closed
    Cancel,     // the user cancelled, and the window stays
    Signal,     // SIGINT, SIGTERM, SIGHUP or SIGQUIT
    TimeLimit,  // no data came for the time given
    NoAnswer,   // twenty polls went unanswered
    LineBusy,   // the line never went quiet, so no poll was sent
};

struct Stop
{
    StopCause cause = StopCause::NoAnswer;
    int signal{}; // with StopCause::Signal: which
};

// What the archive did with a reset's bytes, as plain values.
struct ArchiveResult
{
    enum class State {
        Off,        // no archive, or nothing to keep
        Pending,    // being written
        Kept,       // the .bin is on disk; the .txt too unless `failedPath` says otherwise
        Failed,     // not on disk: `failedPath` and `reason` say why; the journal keeps the bytes
        Unfinished, // the program ended before the disk answered; the next start finishes it
    };
    State state = State::Off;
    QString binPath;    // the bytes as received
    QString textPath;   // the printout's text
    QString failedPath; // the file or folder that could not be written
    QString reason;     // why, in German
    QString detail;     // the path and the system's words, for the terminal
    QString tailPath;   // bytes an earlier printout sent before this reset's first poll
};

// What one reset did, told once: the window, the command line and the
// archive read it rather than piece it together from the list.
struct ResetRecord
{
    PortChoice port;
    QDateTime began;
    Stop stop;
    bool answered{};
    QByteArray received;  // the answer, the printout's data and the final SYN, as they came
    QByteArray tail;      // what came before the first poll: no answer
    ListEntries printout; // the machine's lines, in order, as the list shows them
    bool hasText{};       // some line is more than blanks
    ArchiveResult archive;

    // The data ended with the machine's SYN: the printout is whole.
    bool Complete() const { return stop.cause == StopCause::MachineSyn; }
    // A close, a cancel, a signal or the time limit ended the data early.
    bool CutShort() const;
    // The machine answered and sent a printout worth showing and saving.
    bool HasPrintout() const { return answered && hasText && !CutShort(); }
    // One line on how the reset ended and where its printout went.
    QString Summary() const;
};
