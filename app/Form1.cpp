// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "app/ArchiveView.h"
#include "app/InBackground.h"
#include "app/PrintoutActions.h"
#include "archive/ArchiveFiles.h"
#include "archive/ArchiveNames.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutPages.h"
#include "reset/EventLoop.h"
#include "reset/ResetExchange.h"
#include "reset/ResetProtocol.h"
#include "serial/PortDiagnostics.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QVBoxLayout>

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

QRect ToPixels(const Twips &box, QSizeF scale)
{
    return QRect(ToPixels(box.left, scale.width()), ToPixels(box.top, scale.height()),
                 ToPixels(box.width, scale.width()), ToPixels(box.height, scale.height()));
}

QSize ToPixels(QSize twips, QSizeF scale)
{
    return QSize(ToPixels(twips.width(), scale.width()), ToPixels(twips.height(), scale.height()));
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
constexpr double ScaleStep = 0.01;
// Between two controls laid out tight, at the least.
constexpr int TightGapTwips = 60;
// A file manager that has not said otherwise by then has taken the folder.
constexpr int FileManagerAnswerMs = 3000;

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
    m_listeners.Add(&m_progress);
    m_listeners.Add(this);

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
    Combo1->setAccessibleName(QStringLiteral("Schnittstelle"));
    // Beside the port field, its device: screen readers take it for the field's label.
    PortInfo = MakeLabel(QString(), page);
    PortInfo->setWordWrap(false);
    PortInfo->setBuddy(Combo1);
    PortInfo->setAccessibleName(QStringLiteral("Schnittstelle"));
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
    StatusIcon = new QLabel(page);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    StatusIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    StatusIcon->setAccessibleName(QStringLiteral("Warnung"));
    StatusIcon->hide();
    StatusSave = new QPushButton(QStringLiteral("&Speichern unter …"), page);
    StatusSave->setObjectName(QStringLiteral("StatusSave"));
    StatusSave->hide();
    List1 = new QListView(page);
    List1->setModel(&m_list);
    List1->setAccessibleName(QStringLiteral("Ausdruck"));
    List1->setUniformItemSizes(true);
    // Laid out a slice at a time, so that millions of lines never freeze the window.
    List1->setLayoutMode(QListView::Batched);
    List1->setBatchSize(ListLayoutBatch);
    // The printout is set in columns for a 24-column printer.
    List1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Where the focus is shows on the frame, also before any entry is chosen.
    List1->setStyleSheet(QStringLiteral("QListView:focus { border: 2px solid palette(highlight); }"));
    List1->installEventFilter(this);
    List1->setContextMenuPolicy(Qt::CustomContextMenu);
    // Scrolling lays the whole list out: once per batch of new rows.
    connect(&m_list, &QAbstractItemModel::rowsInserted, List1, &QAbstractItemView::scrollToBottom,
            Qt::QueuedConnection);
    connect(List1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &where) { ShowListMenu(List1->viewport()->mapToGlobal(where)); });
    BuildListMenu();
    connect(StatusSave, &QPushButton::clicked, this, [this] {
        m_actions->SaveAsText({m_latestReset.printout, m_latestReset.began, m_latestReset.port.name,
                               ArchiveNames::BaseOf(m_latestReset)});
    });
    auto *cancel = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(cancel, &QShortcut::activated, this, &Form1::CancelReset);

    Timer1.setInterval(TickIntervalMs);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    m_progressRefresh.setInterval(ProgressRefreshMs);
    connect(&m_progressRefresh, &QTimer::timeout, this, &Form1::ShowProgress);

    LayOutControls(screen()->availableGeometry().size() - FrameAllowance);

    // What loading the window does: the caption, then the ports on offer.
    setWindowTitle(QStringLiteral("%1 %2 – ein Werkzeug des Zelvorin-Projekts")
                           .arg(QLatin1StringView(ApplicationName), QLatin1StringView(ApplicationVersion)));
    // The window stays silent about ports that do not open; the terminal says why.
    ScanPorts(MSComm1, MSComm1.Directory(), *this, [](int number, const PortDevice &device, const OpenError &error) {
        const QString port = QStringLiteral("COM%1 (%2)").arg(number).arg(device.ShownPath());
        std::fprintf(stderr, "%s\n", qPrintable(PortDiagnostic(port, device, error)));
    });
    connect(Combo1, &QComboBox::currentTextChanged, this, &Form1::ShowPortInfo);
    ShowPortInfo();
    Command1->setFocus();
}

Form1::~Form1()
{
    // The printout the disk has not taken by then is still in the journal, for the next start.
    if (m_keeper)
        m_keeper->WaitUntilWritten(ClosingArchiveWait);
}

void Form1::LayOutControls(QSize room)
{
    // Every control with its name and its place in the design, top down.
    const struct
    {
        QWidget *widget;
        const char *name;
        Twips box;
    } controls[] = {
            {List1, "List1", {4080, 360, 3495, 7080}},         {Label2, "Label2", {480, 480, 3255, 255}},
            {Label1, "Label1", {480, 840, 3015, 255}},         {Combo1, "Combo1", {600, 1200, 1095, 315}},
            {PortInfo, "PortInfo", {1770, 1200, 1965, 315}},   {Label3, "Label3", {480, 1680, 2655, 375}},
            {Command1, "Command1", {600, 2040, 3015, 495}},    {StatusLine, "StatusLine", {480, 2610, 3255, 750}},
            {StatusIcon, "StatusIcon", {480, 2610, 300, 300}}, {Label5, "Label5", {480, 3360, 3255, 615}},
            {Label6, "Label6", {480, 4080, 3255, 1695}},       {Label4, "Label4", {480, 5760, 3255, 1335}},
            {Label8, "Label8", {480, 7200, 3375, 255}},
    };
    const QSize design(ClientWidthTwips, ClientHeightTwips);
    for (const auto &[widget, name, box] : controls)
        widget->setObjectName(QLatin1StringView(name));

    // What a control needs at `width`: its text's lines, or its own height.
    const auto need = [&](QWidget *widget, int width) {
        const auto *label = qobject_cast<QLabel *>(widget);
        if (label == nullptr)
            return widget->sizeHint().height();
        return label->wordWrap() ? label->heightForWidth(width) : label->sizeHint().height();
    };
    // The controls placed at `scale`: across, and for the gaps between
    // them. Tight, each takes the height it needs rather than its design
    // height, and the page is that much shorter.
    const auto place = [&](QSizeF scale, bool tight) {
        const double gaps = tight ? 1.0 : scale.height(); // as the design has them, unenlarged when tight
        QList<QRect> places;
        int bottom = ToPixels(controls[1].box.top, gaps);
        int rowTop = bottom;
        int designTop = -1;
        int designBottom = controls[1].box.top;
        for (const auto &[widget, name, box] : controls) {
            QRect at = ToPixels(box, scale);
            if (widget != List1) {
                if (box.top > designTop) { // a new row, after the gap of the design
                    const int gap = box.top - designBottom;
                    rowTop = bottom + ToPixels(tight ? std::max(TightGapTwips, gap) : gap, gaps);
                    designTop = box.top;
                }
                designBottom = std::max(designBottom, box.top + box.height);
                at.moveTop(rowTop);
                // The status line keeps its room for what it will say.
                if (tight && !widget->objectName().startsWith(QLatin1StringView("Status")))
                    at.setHeight(need(widget, at.width()));
                bottom = std::max(bottom, at.bottom() + 1);
            }
            places << at;
        }
        const int height = bottom + ToPixels(design.height() - designBottom, gaps);
        const Twips &list = controls[0].box;
        places[0].moveTop(ToPixels(list.top, gaps));
        places[0].setBottom(height - ToPixels(design.height() - list.top - list.height, gaps) - 1);
        return std::pair(places, QSize(ToPixels(design.width(), scale.width()), height));
    };

    // The geometry was drawn for a narrower font than most desktops use. Rather
    // than cut instructions or printout lines off, enlarge everything by the
    // least factor with which every label's wrapped text fits its box and the
    // list shows a whole line of the machine's paper.
    const int listNeeds = ListWidthForPaperLine(*List1);
    const auto allFit = [&](QSizeF scale) {
        for (const auto &[widget, name, box] : controls) {
            const QRect at = ToPixels(box, scale);
            const auto *label = qobject_cast<QLabel *>(widget);
            if (label && label->wordWrap() && label != StatusLine && need(widget, at.width()) > at.height())
                return false;
            if (widget == List1 && at.width() < listNeeds)
                return false;
        }
        return true;
    };
    double uniform = 1.0;
    while (uniform < MaxLayoutScale && !allFit({uniform, uniform}))
        uniform += ScaleStep;
    m_scale = {uniform, uniform};
    auto [places, size] = place(m_scale, false);
    // A screen too short for that, with room to the side: the instructions
    // take wider lines and so fewer, each control the height it needs, and
    // the list gives up rows, never columns.
    if (size.height() > room.height()) {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const double widest = std::min(MaxLayoutScale, (room.width() - bar) * double(TwipsPerPixel) / design.width());
        do {
            std::tie(places, size) = place(m_scale, true);
            m_scale.rwidth() += ScaleStep;
        } while (size.height() > room.height() && m_scale.width() < widest);
        m_scale.rwidth() -= ScaleStep;
    }

    for (const auto &[widget, name, box] : controls)
        widget->setGeometry(places.takeFirst());
    // The way to save a printout the archive did not keep sits at the foot of the status line.
    const QRect status = StatusLine->geometry();
    const QSize save = StatusSave->sizeHint();
    StatusSave->setGeometry(status.x(), status.bottom() + 1 - save.height(), save.width(), save.height());
    m_statusHeight = status.height();
    const QRect list = List1->geometry();
    m_listMargins = size - QSize(list.x() + list.width(), list.y() + list.height());
    // The instructions run all the way down, so the page is never smaller than
    // they need; beyond that, the window's room goes to the list.
    m_page->setMinimumSize(size);

    resize(size);
}

void Form1::showEvent(QShowEvent *)
{
    // A screen too small for the design shows it in part, to be scrolled.
    // Some window managers tell their frame only once the window is up: until
    // then, room for one is kept.
    const QRect available = screen()->availableGeometry();
    const QSize frame = (frameGeometry().size() - size()).expandedTo(FrameAllowance);
    const QSize room = available.size() - frame;
    if (width() <= room.width() && height() <= room.height())
        return;
    // Scrolled up and down only, where the screen is wide enough for the bar
    // too; a window too wide for it is cut to the screen all the same.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(QSize(width() + bar, height()).boundedTo(room));
    move(available.topLeft());
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
    m_actions = new PrintoutActions(this, [this] { return m_latestPrintout ? &*m_latestPrintout : nullptr; });
    connect(m_actions, &PrintoutActions::Said, this, [this](const QString &text) { SetStatus(text); });
    m_listMenu = new QMenu(this);
    m_copyAction = m_listMenu->addAction(QStringLiteral("Ausdruck &kopieren\tC"), this,
                                         [this] { CopyPrintout(Printout::CopyKeyCode); });
    m_listMenu->addActions(m_actions->Actions());
    m_listMenu->addSeparator();
    m_archiveAction = m_listMenu->addAction(QStringLiteral("&Frühere Ausdrucke …"), this, &Form1::ShowArchive);
    m_archiveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(m_archiveAction);
    m_folderAction = m_listMenu->addAction(QStringLiteral("&Archivordner öffnen"), this, &Form1::OpenArchiveFolder);
    UpdateActions();
}

void Form1::UpdateActions()
{
    // Once a printout is in the list it stays there, so the copy has one to take.
    m_copyAction->setEnabled(m_latestPrintout.has_value());
    m_actions->Update(!m_resetRunning);
    m_folderAction->setEnabled(m_archive.IsEnabled());
    m_archiveAction->setEnabled(m_archive.IsEnabled());
    if (m_archiveView)
        m_archiveView->SetResetRunning(m_resetRunning);
}

void Form1::ShowArchive()
{
    if (!m_archiveView)
        m_archiveView = std::make_unique<ArchiveView>(m_archive.FolderPath());
    m_archiveView->SetResetRunning(m_resetRunning);
    m_archiveView->show();
    m_archiveView->raise();
    m_archiveView->activateWindow();
}

void Form1::ShowListMenu(const QPoint &where)
{
    m_listMenu->popup(where);
}

void Form1::OpenArchiveFolder()
{
    const QString folder = m_archive.Folder();
    ArchiveFiles::MakeFolders(m_archive.FolderPath());
    // Said to be open only once a file manager has taken it. The opener is
    // no child of the window, and left to run: where it waits for the file
    // manager it started, ending it would close that too.
    auto *opener = new QProcess;
    connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    const auto said = [this, opener, folder](bool taken) {
        opener->disconnect(this);
        SetStatus(taken ? QStringLiteral("Archivordner geöffnet: %1").arg(folder)
                        : QStringLiteral("Kein Dateimanager gefunden – Ordner: %1").arg(folder));
    };
    connect(opener, &QProcess::finished, this,
            [said](int code, QProcess::ExitStatus status) { said(status == QProcess::NormalExit && code == 0); });
    connect(opener, &QProcess::errorOccurred, this, [said, opener](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            said(false);
            opener->deleteLater();
        }
    });
    opener->start(QStringLiteral("xdg-open"), {folder});
    QTimer::singleShot(FileManagerAnswerMs, opener, [said] { said(true); }); // gone with the opener
}

void Form1::ShowPortInfo()
{
    const std::optional<PortDevice> device = MSComm1.Directory().Device(
            ResetProtocol::PortNumberOf(Combo1->currentText()));
    const QString text = device ? PortToolTip(*device) : QStringLiteral("kein Gerät");
    PortInfo->setText(PortInfo->fontMetrics().elidedText(text, Qt::ElideMiddle, PortInfo->width()));
    PortInfo->setToolTip(text);
    PortInfo->setAccessibleDescription(text);
    Combo1->setAccessibleDescription(text);
}

void Form1::SetStatus(const QString &text, StatusStyle style)
{
    const bool warning = style == StatusStyle::Warning;
    StatusIcon->setVisible(warning);
    StatusSave->setVisible(warning);
    // The icon stands left of the warning's first line.
    StatusLine->setContentsMargins(warning ? StatusIcon->geometry().right() + 1 - StatusLine->x() : 0, 0, 0, 0);
    StatusLine->resize(StatusLine->width(), warning ? StatusSave->y() - StatusLine->y() : m_statusHeight);
    StatusLine->setText(text);
    StatusLine->setToolTip(text); // a long one is cut off at the label's edge
}

void Form1::Announce(const QString &text)
{
    StatusLine->setAccessibleDescription(text);
}

QString Form1::StatusText() const
{
    return StatusLine->text();
}

void Form1::PhaseChanged(const ResetRecord &, Phase phase, int)
{
    if (phase == Phase::Data)
        m_progressRefresh.start();
    else
        m_progressRefresh.stop();
    ShowProgress();
    Announce(StatusLine->text());
}

void Form1::ShowProgress()
{
    QString text = m_progress.Text(MonotonicNs());
    if (m_progress.CurrentPhase() == Phase::Data)
        text += QStringLiteral(" – Esc bricht ab");
    SetStatus(text);
}

void Form1::Command1_Click()
{
    m_resetRunning = true;
    m_quitCause = {StopCause::Close};
    SetStatus(QString());
    UpdateActions();
    m_latestReset = RunReset(*this, m_listeners);
    m_resetRunning = false;
    if (m_keeper)
        m_latestReset.archive.state = ArchiveResult::State::Pending;
    if (m_latestReset.HasPrintout()) {
        m_latestPrintout = PrintoutDocument{m_latestReset.printout, m_latestReset.began, m_latestReset.port.name,
                                            ArchiveNames::BaseOf(m_latestReset)};
        m_latestPrintoutBegan = m_latestReset.began;
    }
    UpdateActions();
    ShowResult();
}

void Form1::ShowResult()
{
    const bool lost = m_latestReset.archive.state == ArchiveResult::State::Failed;
    SetStatus(m_latestReset.Summary(), lost ? StatusStyle::Warning : StatusStyle::Plain);
    Announce(m_latestReset.Summary());
}

void Form1::CancelReset()
{
    if (!m_resetRunning || m_state.QuitRequested)
        return;
    m_quitCause = {StopCause::Cancel};
    m_state.QuitRequested = true;
}

void Form1::ArchiveKept(const QDateTime &began, const ArchiveResult &result)
{
    if (m_latestPrintout && m_latestPrintoutBegan == began && !result.binPath.isEmpty())
        m_latestPrintout->fileBase = QFileInfo(result.binPath).completeBaseName();
    if (m_latestReset.began != began)
        return;
    m_latestReset.archive = result;
    ShowResult();
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
    m_quitCause = {StopCause::Close};
    // A running reset notices the request, winds down and then closes the window.
    if (m_resetRunning) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_archiveView) // the program ends with its main window
        m_archiveView->close();
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
    if (focusWidget() == m_focusAfterDisable)
        Command1->setFocus();
    m_focusAfterDisable = nullptr;
}

void Form1::SetTimerEnabled(bool enabled)
{
    EventLoop::SetTicking(Timer1, enabled);
}

void Form1::CloseWindow()
{
    // Queued, so that it arrives after the reset has returned; a cancel keeps the window.
    if (m_quitCause.cause == StopCause::Close)
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
    InBackground(
            this, [entries = Entries()] { return Printout::ClipboardText(entries); },
            [this](const Printout::Copy &copy) {
                // Blank lines alone would only destroy what the user copied before.
                if (!copy.hasText) {
                    SetStatus(QStringLiteral(
                            "Nichts kopiert: die Liste hat keinen Ausdruck; die Zwischenablage bleibt, wie sie war"));
                    return;
                }
                QGuiApplication::clipboard()->setText(copy.text, QClipboard::Clipboard);
                // A printout comes with the blank line before it: never a single line.
                SetStatus(QStringLiteral("Ausdruck kopiert: %1 Zeilen").arg(copy.lines));
            });
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
