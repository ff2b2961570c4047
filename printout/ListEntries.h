// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// Entries of the window's list, all in one buffer: a printout at the size
// bound is millions of lines, too many for an allocation each.
class ListEntries
{
public:
    qsizetype size() const { return m_ends.size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    QStringView operator[](qsizetype row) const;
    qsizetype Characters() const { return m_text.size(); }
    // All entries one after the other, and where each ends in that text.
    QStringView Text() const { return m_text; }
    qsizetype End(qsizetype row) const { return m_ends[row]; }

    void Append(QStringView entry);
    // Bytes of the printout, read as Windows-1252: a new entry, or more of
    // the last one.
    void AppendWindows1252(QByteArrayView bytes, bool toLast = false);
    void Reserve(qsizetype characters) { m_text.reserve(m_text.size() + characters); }
    void Append(const ListEntries &entries);
    void Clear();

private:
    QString m_text;
    QList<qsizetype> m_ends; // where each entry ends in m_text
};
