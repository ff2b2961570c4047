// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ArchiveModel.h"
#include "printout/PrintoutComparison.h"
#include "printout/PrintoutDocument.h"

#include <QFileSystemWatcher>
#include <QStandardItemModel>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class ListModel;
class PrintoutActions;
class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;
class QTableView;

// "Frühere Ausdrucke": every kept printout, newest first, searchable; one
// shown as the list would show it, to copy, save and print under its own
// header, or two side by side with what differs marked. A window of its own
// that only reads the archive, and does its reading off the window's thread,
// so that a running reset is never held up.
class ArchiveView final : public QWidget
{
    Q_OBJECT

public:
    // A search waits this long after the last key, so that typing stays quick.
    static constexpr int SearchDelayMs = 150;
    // Files a sync tool adds show this long after the last of them.
    static constexpr int RescanDelayMs = 500;
    // Room around the text of a cell, in pixels.
    static constexpr int RowPadding = 6;
    static constexpr int ColumnPadding = 24;

    // `folder` in the file system's own bytes.
    explicit ArchiveView(QByteArray folder, QWidget *parent = nullptr);
    ~ArchiveView() override;

    // While a reset runs, nothing that opens a dialog, which would hold it up.
    void SetResetRunning(bool running);
    const ArchiveModel &Model() const { return m_model; }
    QString StatusText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Watch();
    void Reload();
    void Search();
    void ShowSelected();
    void ShowPrintout(const ArchiveEntry &entry);
    void ShowComparison(const ArchiveEntry &left, const ArchiveEntry &right);
    void SayCount();
    // Makes the change to what is listed, with the same printouts chosen after it.
    void KeepChoice(const std::function<void()> &change);
    void UpdateActions();
    void Copy();

    QByteArray m_folder;
    ArchiveModel m_model;
    QLineEdit *m_search;
    QLabel *m_status;
    QTableView *m_table;
    QStackedWidget *m_shown;
    QListView *m_printoutView;
    ListModel *m_printout = nullptr;
    QTableView *m_comparisonView;
    QStandardItemModel m_comparison;
    PrintoutActions *m_actions;
    QAction *m_copy;
    std::optional<PrintoutDocument> m_document; // the one shown
    QFileSystemWatcher m_watcher;
    QTimer m_rescan{this}; // children, so that they are found like the window's other parts
    QTimer m_searchDelay{this};
    bool m_read = false; // what the files hold is known
    bool m_resetRunning = false;
    // The latest request for the list, and for the printout or comparison
    // shown; answers to older ones are dropped.
    std::shared_ptr<const int> m_listAsked;
    std::shared_ptr<const int> m_shownAsked;
};
