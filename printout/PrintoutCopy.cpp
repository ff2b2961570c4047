// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutCopy.h"

namespace Printout {

namespace {

// Straight through the blocks: a list at the size bound is millions of entries.
Copy Join(const ListEntries &entries, QLatin1StringView lineEnd)
{
    Copy copy;
    copy.text = QString(entries.Characters() + entries.size() * lineEnd.size(), Qt::Uninitialized);
    QChar *out = copy.text.data();
    const QList<qsizetype> &status = entries.StatusRows();
    auto nextStatus = status.cbegin();
    qsizetype row = 0;
    entries.ForEach([&](QStringView entry) {
        const qsizetype current = row++;
        if (nextStatus != status.cend() && *nextStatus == current) {
            ++nextStatus;
            return;
        }
        copy.hasText = copy.hasText || !entry.trimmed().isEmpty();
        ++copy.lines;
        out = std::copy(entry.begin(), entry.end(), out);
        for (const char c : lineEnd)
            *out++ = QLatin1Char(c);
    });
    copy.text.truncate(out - copy.text.constData());
    return copy;
}

} // namespace

Copy ClipboardText(const ListEntries &entries)
{
    return Join(entries, QLatin1StringView(LineEnd));
}

QString JoinLines(const ListEntries &lines, QLatin1StringView lineEnd)
{
    return Join(lines, lineEnd).text;
}

} // namespace Printout
