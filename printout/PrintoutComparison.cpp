// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutComparison.h"

#include <dtl/dtl.hpp>

#include <vector>

namespace Printout {

namespace {

std::vector<QString> Lines(const ListEntries &entries)
{
    std::vector<QString> lines;
    lines.reserve(entries.size());
    entries.ForEach([&lines](QStringView line) { lines.push_back(line.toString()); });
    return lines;
}

} // namespace

QList<ComparedLine> Compare(const ListEntries &left, const ListEntries &right)
{
    dtl::Diff<QString, std::vector<QString>> diff(Lines(left), Lines(right), true); // of a change, the old lines first
    diff.compose();
    QList<ComparedLine> rows;
    // A run of lines only the left has, then one only the right has, stands
    // side by side: changed lines, and what is over on either side alone.
    qsizetype unpaired = -1; // the first line of the run of the left's own not yet paired
    for (const auto &[line, info] : diff.getSes().getSequence()) {
        if (info.type == dtl::SES_COMMON) {
            rows << ComparedLine{ComparedLine::Kind::Same, line, line};
            unpaired = -1;
        } else if (info.type == dtl::SES_DELETE) {
            if (unpaired < 0)
                unpaired = rows.size();
            rows << ComparedLine{ComparedLine::Kind::LeftOnly, line, QString()};
        } else if (unpaired >= 0 && unpaired < rows.size() && rows[unpaired].kind == ComparedLine::Kind::LeftOnly) {
            rows[unpaired].kind = ComparedLine::Kind::Changed;
            rows[unpaired++].right = line;
        } else {
            rows << ComparedLine{ComparedLine::Kind::RightOnly, QString(), line};
        }
    }
    return rows;
}

} // namespace Printout
