// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QList>
#include <QString>

namespace Printout {

// One row of two printouts side by side.
struct ComparedLine
{
    enum class Kind {
        Same,      // the line stands in both
        Changed,   // a line of the left stands where the right has another
        LeftOnly,  // the left has a line the right has not
        RightOnly, // and the other way round
    };
    Kind kind = Kind::Same;
    QString left;
    QString right;
    bool operator==(const ComparedLine &) const = default;
};

// The lines of two printouts side by side, in order, the ones that differ
// marked: the shortest way from the left to the right, by lines.
QList<ComparedLine> Compare(const ListEntries &left, const ListEntries &right);

} // namespace Printout
