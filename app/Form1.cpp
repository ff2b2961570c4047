// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveNames.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutPages.h"
#include "reset/EventLoop.h"
#include "reset/ResetExchange.h"
#include "reset/ResetProtocol.h"
#include "serial/PortDiagnostics.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFutureWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStyleOptionViewItem>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <cmath>
#include <cstdio>

namespace {

struct Twips
{
    int left;
    int top;
    int width;
    int height;
};

int ToPixels(int twips, double scale)
{
    return static_cast<int>(std::lround(twips * scale / Form1::TwipsPerPixel));
}

QRect ToPixels(const Twips &box, double scale)
{
    return QRect(ToPixels(box.left, scale), ToPixels(box.top, scale), ToPixels(box.width, scale),
                 ToPixels(box.height, scale));
}

QLabel *MakeLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

constexpr int ListLayoutBatch = 50000;

// How wide the list must be to show a line of the machine's paper whole: an
// entry as the style measures it, the frame, and room for the scroll bar.
int ListWidthForPaperLine(const QListView &list)
{
    QStyleOptionViewItem entry;
    entry.initFrom(&list);
    entry.font = list.font(); // the option's own font, not the application's, sets the text
    entry.features = QStyleOptionViewItem::HasDisplay;
    entry.text = QString(Printout::PaperColumns, u'W');
    const int width = list.style()->sizeFromContents(QStyle::CT_ItemViewItem, &entry, QSize(), &list).width();
    return width + 2 * list.frameWidth() + list.verticalScrollBar()->sizeHint().width();
}

} // namespace

Form1::Form1(PortDirectory directory, PrintoutArchive archive, QWidget *parent)
    : QWidget(parent)
    , MSComm1(std::move(directory))
    , m_archive(std::move(archive))
    , m_keeper(m_archive.IsEnabled() ? std::make_unique<ArchiveKeeper>(m_archive.FolderPath()) : nullptr)
    , m_exitGuard(MSComm1, [this] {
        if (m_keeper)
            m_keeper->KeepAtExit();
    })
{
    m_listeners.Add(&m_exitGuard);
    if (m_keeper) {
        m_listeners.Add(m_keeper.get());
        connect(m_keeper.get(), &ArchiveKeeper::Kept, this, &Form1::ArchiveKept);
    }

    // The controls sit on a page that scrolls when the screen is too small
    // for it; otherwise the page is the whole window.
    auto *scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(true);
    m_page = new QWidget;
    scroller->setWidget(m_page);
    m_page->installEventFilter(this);
    scroller->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(QMargins());
    layout->addWidget(scroller);
    QWidget *const page = m_page;

    Label2 = MakeLabel(QStringLiteral("1. Automat anschließen  an den PC"), page);
    Label1 = MakeLabel(QStringLiteral("2. richtige Serielle Schnittstelle wählen:"), page);
    Combo1 = new QComboBox(page);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setCompleter(nullptr); // what the user types is what counts
    Label3 = MakeLabel(QStringLiteral("3. Rückstellen starten durch Klick auf"), page);
    Command1 = new QPushButton(QStringLiteral("Rückstellen"), page);
    Label5 = MakeLabel(QStringLiteral("Wenn der Ausdruck nicht innerhalb von ca. 30 Sekunden angezeigt "
                                      "wird, wird das vermutlich nichts mehr."),
                       page);
    Label6 = MakeLabel(QStringLiteral("Mögliche Fehlerursachen: War die richtige COM-Schnittstelle eingestellt? Nach "
                                      "mehreren Versuchen blockiert der Automat oft, dann den einmal Aus- und wieder "
                                      "Anschalten. Manche Bergmann-Crown Geräte erlauben ein erneutes Löschen (wenn "
                                      "es eben bereits erfolgreich war) erst wieder nach einer Stunde."),
                       page);
    Label4 = MakeLabel(QStringLiteral("Wenn die \"Rückstellen\"-Taste aktiv ist, kann damit sofort ein neuer Versuch "
                                      "gestartet werden. Sonst das Programm abbrechen durch Schließen des  Fensters "
                                      "über X oben rechts und danach ggf. das Programm neu starten."),
                       page);
    Label8 = MakeLabel(QStringLiteral("Neuere Versionen: beim Zelvorin-Projekt"), page);
    StatusLine = MakeLabel(QString(), page);
    StatusLine->setAccessibleName(QStringLiteral("Status"));
    StatusLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    List1 = new QListView(page);
    List1->setModel(&m_list);
    List1->setUniformItemSizes(true);
    // Laid out a slice at a time, so that millions of lines never freeze the window.
    List1->setLayoutMode(QListView::Batched);
    List1->setBatchSize(ListLayoutBatch);
    // The printout is set in columns for a 24-column printer.
    List1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    List1->installEventFilter(this);
    List1->setContextMenuPolicy(Qt::CustomContextMenu);
    // Scrolling lays the whole list out: once per batch of new rows.
    connect(&m_list, &QAbstractItemModel::rowsInserted, List1, &QAbstractItemView::scrollToBottom,
            Qt::QueuedConnection);
    connect(List1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &where) { ShowListMenu(List1->viewport()->mapToGlobal(where)); });
    BuildListMenu();

    setTabOrder(Command1, List1);
    setTabOrder(List1, Combo1);

    Timer1.setInterval(TickIntervalMs);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    LayOutControls();

    // What loading the window does: the caption, then the ports on offer.
    setWindowTitle(QStringLiteral("%1 %2 – ein Werkzeug des Zelvorin-Projekts")
                           .arg(QLatin1StringView(ApplicationName), QLatin1StringView(ApplicationVersion)));
    // The window stays silent about ports that do not open; the terminal says why.
    ScanPorts(MSComm1, MSComm1.Directory(), *this, [](int number, const PortDevice &device, const OpenError &error) {
        const QString port = QStringLiteral("COM%1 (%2)").arg(number).arg(device.ShownPath());
        std::fprintf(stderr, "%s\n", qPrintable(PortDiagnostic(port, device, error)));
    });
    Command1->setFocus();
}

Form1::~Form1()
{
    // The printout the disk has not taken by then is still in the journal, for the next start.
    if (m_keeper)
        m_keeper->WaitUntilWritten(ClosingArchiveWait);
}

void Form1::LayOutControls()
{
    // Every control with its name and its place in the design.
    const struct
    {
        QWidget *widget;
        const char *name;
        Twips box;
    } controls[] = {
            {Label2, "Label2", {480, 480, 3255, 255}},          {Label1, "Label1", {480, 840, 3015, 255}},
            {Combo1, "Combo1", {600, 1200, 1095, 315}},         {Label3, "Label3", {480, 1680, 2655, 375}},
            {Command1, "Command1", {600, 2040, 3015, 495}},     {Label5, "Label5", {480, 3360, 3255, 615}},
            {Label6, "Label6", {480, 4080, 3255, 1695}},        {Label4, "Label4", {480, 5760, 3255, 1335}},
            {Label8, "Label8", {480, 7200, 3375, 255}},         {List1, "List1", {4080, 360, 3495, 7080}},
            {StatusLine, "StatusLine", {480, 2640, 3255, 615}},
    };

    // The geometry was drawn for a narrower font than most desktops use. Rather
    // than cut instructions or printout lines off, enlarge everything by the
    // least factor with which every label's wrapped text fits its box and the
    // list shows a whole line of the machine's paper.
    const int listNeeds = ListWidthForPaperLine(*List1);
    const auto allFit = [&](double scale) {
        for (const auto &[widget, name, box] : controls) {
            const auto *label = qobject_cast<QLabel *>(widget);
            if (label && label != StatusLine
                && label->heightForWidth(ToPixels(box.width, scale)) > ToPixels(box.height, scale))
                return false;
            if (widget == List1 && ToPixels(box.width, scale) < listNeeds)
                return false;
        }
        return true;
    };
    constexpr double ScaleStep = 0.01;
    m_scale = 1.0;
    while (m_scale < MaxLayoutScale && !allFit(m_scale))
        m_scale += ScaleStep;

    for (const auto &[widget, name, box] : controls) {
        widget->setObjectName(QLatin1StringView(name));
        widget->setGeometry(ToPixels(box, m_scale));
    }
    const QRect list = List1->geometry();
    const QSize design(ToPixels(ClientWidthTwips, m_scale), ToPixels(ClientHeightTwips, m_scale));
    m_listMargins = design - QSize(list.x() + list.width(), list.y() + list.height());
    // The instructions run all the way down, so the page is never smaller than
    // designed; beyond that, the window's room goes to the list.
    m_page->setMinimumSize(design);

    resize(design);
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_fitted)
        return;
    m_fitted = true;
    // A screen too small for the design shows it in part, to be scrolled.
    // Some window managers tell their frame only once the window is up: until
    // then, room for one is kept.
    const QRect available = screen()->availableGeometry();
    const QSize frame = (frameGeometry().size() - size()).expandedTo(FrameAllowance);
    const QSize room = available.size() - frame;
    if (width() > room.width() || height() > room.height()) {
        resize(size().boundedTo(room));
        move(available.topLeft());
    }
}

void Form1::PlaceList()
{
    // The list fills the page to the right and down to the visible bottom, so
    // that its newest lines stay in view; on a short screen it gives up rows
    // before anything else has to be scrolled to.
    const QWidget *viewport = m_page->parentWidget();
    const int least = ListLeastRows * List1->fontMetrics().lineSpacing() + 2 * List1->frameWidth();
    const QPoint at = List1->pos();
    List1->resize(m_page->width() - at.x() - m_listMargins.width(),
                  std::max(least, std::min(m_page->height(), viewport->height()) - at.y() - m_listMargins.height()));
}

void Form1::BuildListMenu()
{
    m_listMenu = new QMenu(this);
    QAction *copy = m_listMenu->addAction(QStringLiteral("Ausdruck &kopieren\tC"), this,
                                          [this] { CopyPrintout(Printout::CopyKeyCode); });
    QAction *save = m_listMenu->addAction(QStringLiteral("Als &Textdatei speichern …"), this, &Form1::SaveAsText);
    QAction *print = m_listMenu->addAction(QStringLiteral("&Drucken …"), this, &Form1::Print);
    QAction *pdf = m_listMenu->addAction(QStringLiteral("Als &PDF speichern …"), this, &Form1::SaveAsPdf);
    m_listMenu->addSeparator();
    m_folderAction = m_listMenu->addAction(QStringLiteral("&Archivordner öffnen"), this, &Form1::OpenArchiveFolder);
    m_printoutActions = {copy, save, print, pdf};
    m_dialogActions = {save, print, pdf};
}

void Form1::ShowListMenu(const QPoint &where)
{
    // Once a printout is in the list it stays there, so the copy has one to take.
    const bool printout = m_latestPrintout.has_value();
    for (QAction *action : std::as_const(m_printoutActions))
        action->setEnabled(printout);
    // A dialog would hold up a running reset until it closes.
    for (QAction *action : std::as_const(m_dialogActions))
        action->setEnabled(printout && !m_resetRunning);
    m_folderAction->setEnabled(m_archive.IsEnabled());
    m_listMenu->popup(where);
}

void Form1::OpenArchiveFolder()
{
    const QString folder = m_archive.Folder();
    ArchiveFiles::MakeFolders(m_archive.FolderPath());
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        SetStatus(QStringLiteral("Archivordner geöffnet: %1").arg(folder));
    else
        SetStatus(QStringLiteral("Kein Dateimanager gefunden – Ordner: %1").arg(folder));
}

void Form1::SetStatus(const QString &text)
{
    StatusLine->setText(text);
    StatusLine->setToolTip(text); // a long one is cut off at the label's edge
}

QString Form1::StatusText() const
{
    return StatusLine->text();
}

QString Form1::PrintoutText() const
{
    return Printout::JoinLines(m_latestPrintout->printout);
}

QString Form1::PageHeader() const
{
    return QStringLiteral("Zelvorin – Ausdruck vom %1, %2")
            .arg(m_latestPrintout->began.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")), m_latestPrintout->port.name);
}

QString Form1::FileBase() const
{
    const QString kept = m_latestPrintout->archive.binPath;
    if (!kept.isEmpty())
        return QFileInfo(kept).completeBaseName();
    return QString::fromLatin1(ArchiveNames::Stem(m_latestPrintout->began, m_latestPrintout->port.name)
                               + ArchiveNames::Mark(ArchiveNames::EndingOf(*m_latestPrintout)));
}

QString Form1::AskForFile(const QString &title, const QString &suffix, const QString &filter)
{
    const QString proposed
            = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(FileBase() + suffix);
    return QFileDialog::getSaveFileName(this, title, proposed, filter);
}

void Form1::SaveAsText()
{
    const QString path = AskForFile(QStringLiteral("Ausdruck als Textdatei speichern"), QStringLiteral(".txt"),
                                    QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray bytes = PrintoutText().toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        SetStatus(QStringLiteral("Gespeichert: %1").arg(path));
        return;
    }
    SetStatus(QStringLiteral("Nicht gespeichert: %1: %2").arg(path, file.errorString()));
}

void Form1::Print()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (Printout::PrintPages(printer, PrintoutText(), PageHeader())) {
        SetStatus(QStringLiteral("Gedruckt: %1").arg(printer.printerName()));
        return;
    }
    SetStatus(QStringLiteral("Nicht gedruckt: der Drucker ließ sich nicht ansprechen"));
}

void Form1::SaveAsPdf()
{
    const QString path = AskForFile(QStringLiteral("Ausdruck als PDF speichern"), QStringLiteral(".pdf"),
                                    QStringLiteral("PDF-Dateien (*.pdf)"));
    if (path.isEmpty())
        return;
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(PageHeader());
    if (Printout::PrintPages(writer, PrintoutText(), PageHeader())) {
        SetStatus(QStringLiteral("Gespeichert: %1").arg(path));
        return;
    }
    SetStatus(QStringLiteral("Nicht gespeichert: %1").arg(path));
}

void Form1::Command1_Click()
{
    m_resetRunning = true;
    m_latestReset = RunReset(*this, m_listeners);
    m_resetRunning = false;
    if (m_keeper)
        m_latestReset.archive.state = ArchiveResult::State::Pending;
    SetStatus(m_latestReset.Summary());
    if (m_latestReset.HasPrintout())
        m_latestPrintout = m_latestReset;
}

void Form1::ArchiveKept(const QDateTime &began, const ArchiveResult &result)
{
    if (m_latestPrintout && m_latestPrintout->began == began)
        m_latestPrintout->archive = result;
    if (m_latestReset.began != began)
        return;
    m_latestReset.archive = result;
    SetStatus(m_latestReset.Summary());
    if (result.state == ArchiveResult::State::Failed && !m_latestReset.CutShort())
        AppendStatusLine(QStringLiteral("*** Ausdruck nicht gespeichert: %1: %2")
                                 .arg(QFileInfo(result.failedPath).fileName(), result.reason));
}

void Form1::Timer1_Timer()
{
    m_state.TickMs += TickIntervalMs;
}

void Form1::closeEvent(QCloseEvent *event)
{
    m_state.QuitRequested = true;
    // A running reset notices the request, winds down and then closes the window.
    if (m_resetRunning)
        event->ignore();
    else
        event->accept();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_page || watched == m_page->parentWidget()) && event->type() == QEvent::Resize)
        PlaceList();
    if (watched != List1)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // The list's own Ctrl+C would copy just the current entry.
        if (key->matches(QKeySequence::Copy))
            return true;
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            const QRect current = List1->visualRect(List1->currentIndex());
            ShowListMenu(List1->viewport()->mapToGlobal(current.isValid() ? current.center()
                                                                          : List1->viewport()->rect().center()));
            return true;
        }
    } else if (event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            CopyPrintout(key->key());
    }
    return QWidget::eventFilter(watched, event);
}

PortChoice Form1::ChoosePort() const
{
    const int16_t number = ResetProtocol::PortNumberOf(Combo1->currentText());
    const std::optional<PortDevice> device = MSComm1.Directory().Device(number);
    return {number, QStringLiteral("COM%1").arg(number), device ? device->ShownPath() : QString()};
}

void Form1::SetButtonEnabled(bool enabled)
{
    // The port field goes with the button: typed into during a reset, it
    // would take the C and Space meant for the list and the button.
    Combo1->setEnabled(enabled);
    if (!enabled) {
        const bool hadFocus = Command1->hasFocus();
        Command1->setEnabled(false);
        m_focusAfterDisable = hadFocus ? focusWidget() : nullptr;
        return;
    }
    Command1->setEnabled(true);
    // Disabling the button pushed the focus on; give it back unless the user
    // has put it somewhere since, so that Space starts the next try.
    if (m_focusAfterDisable != nullptr && focusWidget() == m_focusAfterDisable)
        Command1->setFocus();
    m_focusAfterDisable = nullptr;
}

void Form1::SetTimerEnabled(bool enabled)
{
    EventLoop::SetTicking(Timer1, enabled);
}

void Form1::CloseWindow()
{
    // Queued, so that it arrives after the reset has returned.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void Form1::AppendStatusLine(const QString &line)
{
    m_list.Append(line, true);
}

void Form1::AppendBlankLine()
{
    m_list.Append(QString(), false);
}

void Form1::AppendPrintout(const ListEntries &lines)
{
    m_list.Append(lines);
}

void Form1::CopyPrintout(int keyCode)
{
    if (keyCode != Printout::CopyKeyCode)
        return;
    // Put together off the window's thread: a list at the size bound takes a
    // while, and the window keeps answering meanwhile.
    auto *copying = new QFutureWatcher<Printout::Copy>(this);
    connect(copying, &QFutureWatcherBase::finished, this, [this, copying] {
        copying->deleteLater();
        const Printout::Copy copy = copying->result();
        // Blank lines alone would only destroy what the user copied before.
        if (!copy.hasText) {
            SetStatus(QStringLiteral(
                    "Nichts kopiert: die Liste hat keinen Ausdruck; die Zwischenablage bleibt, wie sie war"));
            return;
        }
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(copy.text, QClipboard::Clipboard);
        SetStatus(copy.lines == 1 ? QStringLiteral("Ausdruck kopiert: 1 Zeile")
                                  : QStringLiteral("Ausdruck kopiert: %1 Zeilen").arg(copy.lines));
    });
    copying->setFuture(QtConcurrent::run(&Printout::ClipboardText, Entries()));
}

void Form1::PumpEvents(PumpMode mode)
{
    EventLoop::Pump(mode);
}

QString Form1::Text() const
{
    return Combo1->currentText();
}

void Form1::SetText(const QString &text)
{
    Combo1->setCurrentText(text);
}

void Form1::AddEntry(const QString &entry, const QString &toolTip)
{
    Combo1->addItem(entry);
    Combo1->setItemData(Combo1->count() - 1, toolTip, Qt::ToolTipRole);
}
