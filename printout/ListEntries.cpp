// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListEntries.h"

#include "Windows1252.h"

#include <algorithm>

QStringView ListEntries::operator[](qsizetype row) const
{
    const auto found = std::upper_bound(m_firstRows.cbegin(), m_firstRows.cend(), row) - 1;
    const Block &block = m_blocks[found - m_firstRows.cbegin()];
    const qsizetype index = row - *found;
    const qint32 begin = index == 0 ? 0 : block.ends[index - 1];
    return QStringView(block.text).sliced(begin, block.ends[index] - begin);
}

qsizetype ListEntries::Characters() const
{
    qsizetype characters = 0;
    for (const Block &block : m_blocks)
        characters += block.text.size();
    return characters;
}

ListEntries::Block &ListEntries::OwnBlock()
{
    if (m_blocks.isEmpty() || m_lastTaken) {
        m_blocks.append(Block());
        m_firstRows.append(m_rows);
        m_lastTaken = false;
    }
    return m_blocks.last();
}

void ListEntries::Append(QStringView entry, bool status)
{
    if (status)
        m_statusRows.append(m_rows);
    Block &block = OwnBlock();
    block.text += entry;
    block.ends.append(static_cast<qint32>(block.text.size()));
    ++m_rows;
}

void ListEntries::AppendWindows1252(QByteArrayView bytes, bool toLast)
{
    if (toLast && m_lastTaken)
        toLast = false;
    Block &block = OwnBlock();
    const qsizetype begin = block.text.size();
    block.text.resize(begin + bytes.size());
    Printout::DecodeWindows1252(bytes, block.text.data() + begin);
    if (toLast && !block.ends.isEmpty()) {
        block.ends.last() = static_cast<qint32>(block.text.size());
    } else {
        block.ends.append(static_cast<qint32>(block.text.size()));
        ++m_rows;
    }
}

void ListEntries::Reserve(qsizetype characters, qsizetype entries)
{
    Block &block = OwnBlock();
    block.text.reserve(block.text.size() + characters);
    block.ends.reserve(block.ends.size() + entries);
}

void ListEntries::Append(const ListEntries &entries)
{
    for (qsizetype i = 0; i < entries.m_blocks.size(); ++i) {
        m_blocks.append(entries.m_blocks[i]);
        m_firstRows.append(m_rows + entries.m_firstRows[i]);
    }
    for (const qsizetype row : entries.m_statusRows)
        m_statusRows.append(m_rows + row);
    m_rows += entries.m_rows;
    m_lastTaken = !entries.m_blocks.isEmpty() || m_lastTaken;
}
