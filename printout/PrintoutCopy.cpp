// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutCopy.h"


QString Printout::ClipboardText(const ListEntries &entries)
{
    // Straight through the one buffer: a list at the size bound is millions of entries.
    const QLatin1StringView status(StatusPrefix);
    const QLatin1StringView lineEnd(LineEnd);
    QString text(entries.Characters() + entries.size() * lineEnd.size(), Qt::Uninitialized);
    QChar *out = text.data();
    const QStringView all = entries.Text();
    qsizetype begin = 0;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        const QChar *entry = all.data() + begin;
        const qsizetype size = entries.End(row) - begin;
        begin = entries.End(row);
        if (size >= status.size() && QStringView(entry, status.size()) == status)
            continue;
        out = std::copy(entry, entry + size, out);
        for (const char c : lineEnd)
            *out++ = QLatin1Char(c);
    }
    text.truncate(out - text.constData());
    return text;
}

bool Printout::HasPrintout(const ListEntries &entries)
{
    for (qsizetype row = 0; row < entries.size(); ++row) {
        if (!entries[row].startsWith(QLatin1StringView(StatusPrefix)))
            return true;
    }
    return false;
}
