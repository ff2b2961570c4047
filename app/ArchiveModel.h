// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/ArchiveIndex.h"

#include <QAbstractTableModel>

// The kept printouts as a table, newest first, and those a search keeps.
class ArchiveModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Time, Port, Ending, Lines, FirstLine, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // What the archive holds now; a search stays as it was.
    void SetEntries(QList<ArchiveEntry> entries);
    // Only these rows of the entries, in order; all when there is no search.
    void ShowOnly(std::optional<QList<qsizetype>> rows);
    const QList<ArchiveEntry> &Entries() const { return m_entries; }
    const ArchiveEntry &At(int row) const { return m_entries[m_shown ? (*m_shown)[row] : row]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<ArchiveEntry> m_entries;
    std::optional<QList<qsizetype>> m_shown;
};
