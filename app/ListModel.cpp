// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListModel.h"

ListModel::ListModel(QObject *parent)
    : QAbstractListModel(parent)
{
    connect(&m_showLater, &QTimer::timeout, this, &ListModel::ShowNewEntries);
}

void ListModel::Append(QStringView entry, bool status)
{
    m_entries.Append(entry, status);
    ShowSoon();
}

void ListModel::Append(const ListEntries &entries)
{
    m_entries.Append(entries);
    ShowSoon();
}

void ListModel::ShowSoon()
{
    m_showLater.start(QuietMs);
}

void ListModel::ShowNewEntries()
{
    m_showLater.stop();
    const int rows = static_cast<int>(m_entries.size());
    if (rows == m_shown)
        return;
    beginInsertRows(QModelIndex(), m_shown, rows - 1);
    m_shown = rows;
    endInsertRows();
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_shown)
        return QVariant();
    const QStringView entry = m_entries[index.row()];
    if (entry.size() <= ShownCharacters)
        return entry.toString();
    return entry.first(ShownCharacters).toString() + u'…';
}
