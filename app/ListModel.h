// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QAbstractListModel>
#include <QTimer>

// The entries of the window's list. A printout can be millions of lines, so
// they live in one buffer; an entry too long to read on screen shows
// shortened, while the copy, the save and the print take it whole.
class ListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr qsizetype ShownCharacters = 200;
    // The view lays out all its rows anew for every insertion: new entries
    // reach it once appending pauses this long, so that status lines that
    // come together (and a printout, which comes whole) cost one layout.
    static constexpr int QuietMs = 50;

    explicit ListModel(QObject *parent = nullptr);

    // Every entry, including those the view has not been told of yet.
    const ListEntries &Entries() const { return m_entries; }
    // `status`: a status line of the program's own, which the copy leaves out.
    void Append(QStringView entry, bool status);
    void Append(const ListEntries &entries);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void ShowSoon();
    void ShowNewEntries();

    ListEntries m_entries;
    int m_shown = 0;
    QTimer m_showLater{this};
};
