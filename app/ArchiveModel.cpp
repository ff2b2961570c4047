// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveModel.h"

#include <QFile>

void ArchiveModel::SetEntries(QList<ArchiveEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_shown.reset();
    endResetModel();
}

void ArchiveModel::ShowOnly(std::optional<QList<qsizetype>> rows)
{
    beginResetModel();
    m_shown = std::move(rows);
    endResetModel();
}

int ArchiveModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_shown ? m_shown->size() : m_entries.size());
}

int ArchiveModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ArchiveModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const ArchiveEntry &entry = At(index.row());
    if (role == Qt::ToolTipRole)
        return QFile::decodeName(entry.Path());
    switch (index.column()) {
    case Time:
        return entry.name.began.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case Port:
        return entry.name.port;
    case Ending:
        return entry.EndingText();
    case Lines:
        return entry.read && entry.error.isEmpty() ? QVariant(qlonglong(entry.lines)) : QVariant();
    case FirstLine:
        if (!entry.read)
            return QStringLiteral("…");
        return entry.error.isEmpty() ? entry.firstLine : QStringLiteral("nicht lesbar: %1").arg(entry.error);
    default:
        return QVariant();
    }
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const QString titles[] = {QStringLiteral("Datum und Zeit"), QStringLiteral("Schnittstelle"),
                                     QStringLiteral("Ende"), QStringLiteral("Zeilen"), QStringLiteral("Erste Zeile")};
    return section >= 0 && section < ColumnCount ? titles[section] : QVariant();
}
