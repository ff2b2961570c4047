// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/ReceivedFile.h"
#include "printout/ListEntries.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What one reset did, told once: the window, the command line and the
// archive read it rather than piece it together from the list.
struct ResetRecord
{
    enum class DataEnd {
        None,    // the machine never answered
        Syn,     // the data ended with its SYN
        CutOff,  // the data went past its bound
        Stopped, // a close, a signal or a time limit ended it early, or the answer came to the last poll
    };

    QString portName; // as the user named it: "COM1", or a device path
    QString device;   // the device behind it, as people read it; may be empty
    QDateTime began;
    QString fileBase; // the printout's file names without their ending
    bool answered{};
    bool cutShort{}; // a close, a signal or a time limit came before the data was in
    DataEnd dataEnd = DataEnd::None;
    QByteArray received;
    ListEntries lines; // the printout's list entries; none when it was not shown
    bool hasText{};    // some that the C key copies hold more than blanks
    bool archiveEnabled{};
    ArchiveOutcome archive;

    // The machine answered and sent a printout worth saving.
    bool HasPrintout() const { return answered && hasText; }
    // "COM1 (/dev/ttyUSB0)", or a device path alone.
    static QString PortLabel(const QString &portName, const QString &device);
    // One line on how the reset ended and where its printout went.
    QString Summary() const;
};
