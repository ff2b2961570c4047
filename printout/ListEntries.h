// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// Entries of the window's list. A printout at the size bound is millions of
// lines, too many for an allocation each: entries lie one after the other in
// a few large blocks, with 32-bit ends. Blocks are shared, never copied, when
// one list takes in another, so a reset's record and the window's list hold
// the same printout once.
class ListEntries
{
public:
    qsizetype size() const { return m_rows; }
    bool isEmpty() const { return m_rows == 0; }
    QStringView operator[](qsizetype row) const;
    qsizetype Characters() const;

    // `status`: a status line of the program's own, which the copy leaves out.
    void Append(QStringView entry, bool status = false);
    // Bytes of the printout, read as Windows-1252: a new entry, or more of
    // the last one.
    void AppendWindows1252(QByteArrayView bytes, bool toLast = false);
    // Room for this many more characters and entries, so that a printout
    // at the size bound is not copied again and again while it grows.
    void Reserve(qsizetype characters, qsizetype entries = 0);
    void Append(const ListEntries &entries);
    // The rows of the status lines, in order.
    const QList<qsizetype> &StatusRows() const { return m_statusRows; }

    // Calls `visit` with every entry in order, faster than indexing.
    template<typename Visit>
    void ForEach(Visit visit) const
    {
        for (const Block &block : m_blocks) {
            qint32 begin = 0;
            for (const qint32 end : block.ends) {
                visit(QStringView(block.text).sliced(begin, end - begin));
                begin = end;
            }
        }
    }

private:
    struct Block
    {
        QString text;
        QList<qint32> ends; // where each entry ends in `text`
    };
    Block &OwnBlock();

    QList<Block> m_blocks;
    QList<qsizetype> m_firstRows; // the row of each block's first entry
    QList<qsizetype> m_statusRows;
    qsizetype m_rows = 0;
    bool m_lastTaken = false; // the last block came from another list
};
