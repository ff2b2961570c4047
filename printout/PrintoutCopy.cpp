// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutCopy.h"

Printout::Copy Printout::ClipboardText(const ListEntries &entries)
{
    // Straight through the blocks: a list at the size bound is millions of entries.
    const QLatin1StringView status(StatusPrefix);
    const QLatin1StringView lineEnd(LineEnd);
    Copy copy;
    copy.text = QString(entries.Characters() + entries.size() * lineEnd.size(), Qt::Uninitialized);
    QChar *out = copy.text.data();
    entries.ForEach([&](QStringView entry) {
        if (entry.startsWith(status))
            return;
        copy.hasText = copy.hasText || !entry.trimmed().isEmpty();
        ++copy.lines;
        out = std::copy(entry.begin(), entry.end(), out);
        for (const char c : lineEnd)
            *out++ = QLatin1Char(c);
    });
    copy.text.truncate(out - copy.text.constData());
    return copy;
}
