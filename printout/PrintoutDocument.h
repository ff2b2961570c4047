// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QDateTime>
#include <QString>

// A printout as it is saved, printed and copied: the machine's lines, under
// the header of the reset that brought them.
struct PrintoutDocument
{
    ListEntries lines;
    QDateTime began;
    QString port;
    QString fileBase; // the name proposed for its files, without a suffix: the archive's

    // "Zelvorin – Ausdruck vom 06.12.2026 14:32:05, COM1", atop every page.
    QString Header() const
    {
        return QStringLiteral("Zelvorin – Ausdruck vom %1, %2")
                .arg(began.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")), port);
    }
};
