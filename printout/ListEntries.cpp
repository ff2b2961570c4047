// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListEntries.h"

#include "Windows1252.h"

QStringView ListEntries::operator[](qsizetype row) const
{
    const qsizetype begin = row == 0 ? 0 : m_ends[row - 1];
    return QStringView(m_text).mid(begin, m_ends[row] - begin);
}

void ListEntries::Append(QStringView entry)
{
    m_text += entry;
    m_ends.append(m_text.size());
}

void ListEntries::AppendWindows1252(QByteArrayView bytes, bool toLast)
{
    const qsizetype begin = m_text.size();
    m_text.resize(begin + bytes.size());
    Printout::DecodeWindows1252(bytes, m_text.data() + begin);
    if (toLast && !m_ends.isEmpty())
        m_ends.last() = m_text.size();
    else
        m_ends.append(m_text.size());
}

void ListEntries::Append(const ListEntries &entries)
{
    const qsizetype offset = m_text.size();
    m_text += entries.m_text;
    for (const qsizetype end : entries.m_ends)
        m_ends.append(offset + end);
}

void ListEntries::Clear()
{
    m_text.clear();
    m_ends.clear();
}
