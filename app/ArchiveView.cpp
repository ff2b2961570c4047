// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveView.h"

#include "app/InBackground.h"
#include "app/ListModel.h"
#include "app/PrintoutActions.h"
#include "printout/PrintoutCopy.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// As InBackground, but a result the view no longer waits for, because it has
// asked for something newer meanwhile, goes nowhere.
template<typename Work, typename Then>
void Newest(QObject *context, std::shared_ptr<const int> &latest, Work work, Then then)
{
    latest = std::make_shared<const int>(); // the newest request, by identity
    InBackground(context, std::move(work), [&latest, asked = latest, then = std::move(then)](auto result) mutable {
        if (asked == latest)
            then(std::move(result));
    });
}

PrintoutDocument DocumentOf(const ArchiveEntry &entry, ListEntries lines)
{
    return {std::move(lines), entry.name.began, entry.name.port, QFile::decodeName(entry.base)};
}

} // namespace

ArchiveView::ArchiveView(QByteArray folder, QWidget *parent)
    : QWidget(parent)
    , m_folder(std::move(folder))
    , m_search(new QLineEdit(this))
    , m_status(new QLabel(this))
    , m_table(new QTableView(this))
    , m_shown(new QStackedWidget(this))
    , m_printoutView(new QListView(m_shown))
    , m_comparisonView(new QTableView(m_shown))
{
    setWindowTitle(QStringLiteral("Frühere Ausdrucke – Zelvorin"));
    m_search->setPlaceholderText(QStringLiteral("Suchen (Strg+F): Automatennummer, Produkt …"));
    m_search->setAccessibleName(QStringLiteral("Suchen"));
    m_search->setClearButtonEnabled(true);
    m_status->setAccessibleName(QStringLiteral("Status"));
    // File names as they are, never as markup; to be selected and copied, as in the main window.
    m_status->setTextFormat(Qt::PlainText);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table->setObjectName(QStringLiteral("Printouts"));
    m_table->setAccessibleName(QStringLiteral("Frühere Ausdrucke"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + RowPadding);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Wide enough for what the columns hold, measured once rather than on tens of thousands of rows.
    const struct
    {
        int column;
        QString widest;
    } widths[] = {{ArchiveModel::Time, QStringLiteral("00.00.0000 00:00:00")},
                  {ArchiveModel::Port, QStringLiteral("Schnittstelle")},
                  {ArchiveModel::Ending, QStringLiteral("unvollständig")},
                  {ArchiveModel::Lines, QStringLiteral("0000000")}};
    for (const auto &[column, widest] : widths)
        m_table->horizontalHeader()->resizeSection(column, fontMetrics().horizontalAdvance(widest) + ColumnPadding);
    m_table->setWordWrap(false);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_printoutView->setObjectName(QStringLiteral("Printout"));
    m_printoutView->setAccessibleName(QStringLiteral("Ausdruck"));
    m_printoutView->setFont(fixed);
    m_printoutView->setUniformItemSizes(true);
    m_comparisonView->setObjectName(QStringLiteral("Comparison"));
    m_comparisonView->setAccessibleName(QStringLiteral("Vergleich"));
    m_comparisonView->setFont(fixed);
    m_comparisonView->setModel(&m_comparison);
    m_comparisonView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_comparisonView->verticalHeader()->hide();
    m_comparisonView->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + RowPadding);
    m_comparisonView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_shown->addWidget(m_printoutView);
    m_shown->addWidget(m_comparisonView);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_table);
    splitter->addWidget(m_shown);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);
    resize(1000, 600);

    m_actions = new PrintoutActions(this, [this] { return m_document ? &*m_document : nullptr; });
    m_copy = new QAction(QStringLiteral("Ausdruck &kopieren"), this);
    m_copy->setShortcut(QKeySequence::Copy);
    connect(m_copy, &QAction::triggered, this, &ArchiveView::Copy);
    addAction(m_copy);
    for (QWidget *view : {static_cast<QWidget *>(m_table), static_cast<QWidget *>(m_printoutView)}) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        view->addAction(m_copy);
        view->addActions(m_actions->Actions());
    }
    connect(m_actions, &PrintoutActions::Said, m_status, &QLabel::setText);

    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    // Enter goes from the list of printouts to the one shown, to be read line by line.
    connect(m_table, &QAbstractItemView::activated, this, [this] { m_shown->currentWidget()->setFocus(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ArchiveView::ShowSelected);

    m_searchDelay.setSingleShot(true);
    m_searchDelay.setInterval(SearchDelayMs);
    connect(m_search, &QLineEdit::textChanged, &m_searchDelay, qOverload<>(&QTimer::start));
    connect(&m_searchDelay, &QTimer::timeout, this, &ArchiveView::Search);
    m_rescan.setSingleShot(true);
    m_rescan.setInterval(RescanDelayMs);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_rescan, qOverload<>(&QTimer::start));
    connect(&m_rescan, &QTimer::timeout, this, &ArchiveView::Reload);
    UpdateActions();
}

ArchiveView::~ArchiveView() = default;

void ArchiveView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Reload();
    m_table->setFocus();
}

QString ArchiveView::StatusText() const
{
    return m_status->text();
}

void ArchiveView::SetResetRunning(bool running)
{
    m_resetRunning = running;
    UpdateActions();
}

void ArchiveView::UpdateActions()
{
    m_actions->Update(!m_resetRunning);
    m_copy->setEnabled(m_document.has_value());
}

// The folder, or while there is none, the nearest one above it, where it
// will be made (again): a first reset makes it while the view is open.
void ArchiveView::Watch()
{
    QFileInfo folder(QFile::decodeName(m_folder));
    while (!folder.isDir() && !folder.isRoot())
        folder.setFile(folder.path());
    if (m_watcher.directories() == QStringList{folder.filePath()})
        return;
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_watcher.addPath(folder.filePath());
}

void ArchiveView::Reload()
{
    Watch();
    // Names first, which are quick, then what the files hold.
    if (m_model.Entries().isEmpty())
        m_status->setText(QStringLiteral("Lese das Archiv …"));
    Newest(
            this, m_listAsked, [folder = m_folder] { return ArchiveIndex::Scan(folder); },
            [this](QList<ArchiveEntry> entries) {
                Newest(
                        this, m_listAsked,
                        [folder = m_folder, entries]() mutable {
                            ArchiveIndex::Read(entries, folder);
                            return entries;
                        },
                        [this](QList<ArchiveEntry> read) {
                            m_read = true;
                            KeepChoice([&] { m_model.SetEntries(std::move(read)); });
                            Search();
                        });
                if (!m_read)
                    m_model.SetEntries(std::move(entries));
            });
}

void ArchiveView::Search()
{
    if (!m_read)
        return; // once what the files hold is known
    const QString text = m_search->text();
    if (text.isEmpty()) {
        m_listAsked = nullptr; // a search still running is answered too late
        KeepChoice([&] { m_model.ShowOnly(std::nullopt); });
        SayCount();
        return;
    }
    Newest(
            this, m_listAsked,
            [entries = m_model.Entries(), wanted = ArchiveIndex::Fold(text)] {
                QList<qsizetype> rows;
                qsizetype row = 0;
                for (const ArchiveEntry &entry : entries) {
                    if (entry.Holds(wanted))
                        rows << row;
                    ++row;
                }
                return rows;
            },
            [this](QList<qsizetype> rows) {
                KeepChoice([&] { m_model.ShowOnly(std::move(rows)); });
                SayCount();
            });
}

void ArchiveView::KeepChoice(const std::function<void()> &change)
{
    // The same printouts stay chosen, by their names; the newest when none was.
    QSet<QByteArray> chosen;
    for (const QModelIndex &row : m_table->selectionModel()->selectedRows())
        chosen << m_model.At(row.row()).base;
    change();
    QItemSelection selection;
    QModelIndex current;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        if (chosen.isEmpty() ? row == 0 : chosen.contains(m_model.At(row).base)) {
            current = m_model.index(row, 0);
            selection.select(current, current);
        }
    }
    m_table->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (selection.isEmpty())
        ShowSelected();
}

void ArchiveView::SayCount()
{
    const int shown = m_model.rowCount();
    const qsizetype all = m_model.Entries().size();
    if (shown == all) {
        m_status->setText(all == 1 ? QStringLiteral("1 Ausdruck") : QStringLiteral("%1 Ausdrucke").arg(all));
        return;
    }
    m_status->setText(
            QStringLiteral("%1 von %2 Ausdrucken %3 »%4«")
                    .arg(shown)
                    .arg(all)
                    .arg(shown == 1 ? QStringLiteral("enthält") : QStringLiteral("enthalten"), m_search->text()));
}

void ArchiveView::ShowSelected()
{
    QModelIndexList rows = m_table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    m_document.reset();
    UpdateActions();
    if (rows.isEmpty()) { // nothing is shown of what is no longer listed
        m_shownAsked.reset();
        m_printoutView->setModel(nullptr);
        delete std::exchange(m_printout, nullptr);
        m_shown->setCurrentWidget(m_printoutView);
    } else if (rows.size() == 1) {
        ShowPrintout(m_model.At(rows[0].row()));
    } else if (rows.size() == 2) { // the older on the left, as the newest stands first
        ShowComparison(m_model.At(rows[1].row()), m_model.At(rows[0].row()));
    }
}

void ArchiveView::ShowPrintout(const ArchiveEntry &entry)
{
    Newest(
            this, m_shownAsked,
            [path = entry.Path()] {
                QString why;
                return std::pair(ArchiveIndex::Load(path, &why), why);
            },
            [this, entry](const std::pair<std::optional<ListEntries>, QString> &loaded) {
                auto *printout = new ListModel(this);
                if (loaded.first) {
                    printout->Append(*loaded.first);
                    m_document = DocumentOf(entry, *loaded.first);
                } else {
                    printout->Append(QStringLiteral("nicht lesbar: %1").arg(loaded.second), true);
                }
                m_printoutView->setModel(printout);
                delete std::exchange(m_printout, printout);
                m_shown->setCurrentWidget(m_printoutView);
                UpdateActions();
            });
}

void ArchiveView::ShowComparison(const ArchiveEntry &left, const ArchiveEntry &right)
{
    Newest(
            this, m_shownAsked,
            [left = left.Path(), right = right.Path()] {
                QString why;
                const std::optional<ListEntries> older = ArchiveIndex::Load(left, &why);
                const std::optional<ListEntries> newer = older ? ArchiveIndex::Load(right, &why) : std::nullopt;
                if (!newer) {
                    const QString name = QFile::decodeName(older ? right : left).section(u'/', -1);
                    return std::pair(QList<Printout::ComparedLine>(), QStringLiteral("%1: %2").arg(name, why));
                }
                return std::pair(Printout::Compare(*older, *newer), QString());
            },
            [this, left, right](const std::pair<QList<Printout::ComparedLine>, QString> &compared) {
                const auto &[rows, unreadable] = compared;
                using Kind = Printout::ComparedLine::Kind;
                m_comparison.clear();
                m_comparison.setHorizontalHeaderLabels(
                        {QString(), left.name.began.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
                         right.name.began.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))});
                // Marked by a sign, for every reader, and by colour.
                const QString signs[] = {QString(), QStringLiteral("≠"), QStringLiteral("−"), QStringLiteral("+")};
                const QBrush changed = palette().brush(QPalette::Highlight).color().lighter(170);
                for (const Printout::ComparedLine &line : rows) {
                    QList<QStandardItem *> cells = {new QStandardItem(signs[int(line.kind)]),
                                                    new QStandardItem(line.left), new QStandardItem(line.right)};
                    if (line.kind != Kind::Same) {
                        for (QStandardItem *cell : cells)
                            cell->setBackground(changed);
                    }
                    m_comparison.appendRow(cells);
                }
                m_shown->setCurrentWidget(m_comparisonView);
                const qsizetype differing = std::count_if(rows.cbegin(), rows.cend(),
                                                          [](const auto &line) { return line.kind != Kind::Same; });
                if (!unreadable.isEmpty())
                    m_status->setText(QStringLiteral("Kein Vergleich, nicht lesbar: %1").arg(unreadable));
                else
                    m_status->setText(differing == 1 ? QStringLiteral("1 Zeile unterscheidet sich")
                                                     : QStringLiteral("%1 Zeilen unterscheiden sich").arg(differing));
            });
}

void ArchiveView::Copy()
{
    if (!m_document)
        return;
    const Printout::Copy copy = Printout::ClipboardText(m_document->lines);
    QGuiApplication::clipboard()->setText(copy.text);
    m_status->setText(QStringLiteral("Ausdruck kopiert: %1 Zeilen").arg(copy.lines));
}
