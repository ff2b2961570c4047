#include "Form1.h"

#include "printout/PrintoutCopy.h"
#include "reset/ResetExchange.h"
#include "serial/PortDiagnostics.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

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

} // namespace

Form1::Form1(PortDirectory directory, QWidget *parent)
    : QWidget(parent)
    , MSComm1(std::move(directory))
{
    Label2 = MakeLabel(QStringLiteral("1. Automat anschließen  an den PC"), this);
    Label1 = MakeLabel(QStringLiteral("2. richtige Serielle Schnittstelle wählen:"), this);
    Combo1 = new QComboBox(this);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Label3 = MakeLabel(QStringLiteral("3. Rückstellen starten durch Klick auf"), this);
    Command1 = new QPushButton(QStringLiteral("Rückstellen"), this);
    Label5 = MakeLabel(QStringLiteral("Wenn der Ausdruck nicht innerhalb von ca. 30 Sekunden angezeigt "
                                      "wird, wird das vermutlich nichts mehr."),
                       this);
    Label6 = MakeLabel(
        QStringLiteral("Mögliche Fehlerursachen: War die richtige COM-Schnittstelle eingestellt? Nach "
                       "mehreren Versuchen blockiert der Automat oft, dann den einmal Aus- und wieder "
                       "Anschalten. Manche Bergmann-Crown Geräte erlauben ein erneutes Löschen (wenn "
                       "es eben bereits erfolgreich war) erst wieder nach einer Stunde."),
        this);
    Label4 = MakeLabel(
        QStringLiteral("Wenn die \"Rückstellen\"-Taste aktiv ist, kann damit sofort ein neuer Versuch "
                       "gestartet werden. Sonst das Programm abbrechen durch Schließen des  Fensters "
                       "über X oben rechts und danach ggf. das Programm neu starten."),
        this);
    Label8 = MakeLabel(QStringLiteral("Neuere Versionen: beim Zelvorin-Projekt"), this);
    List1 = new QListWidget(this);
    List1->setUniformItemSizes(true);
    List1->installEventFilter(this);

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
    ScanPorts(MSComm1, MSComm1.Directory(), *this,
              [](int number, const PortDevice &device, const OpenError &error) {
                  const QString line = PortDiagnostic(number, device, error, QFileInfo(device.path).group());
                  std::fprintf(stderr, "%s\n", qPrintable(line));
              });
    Command1->setFocus();
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
        {Label2, "Label2", {480, 480, 3255, 255}},      {Label1, "Label1", {480, 840, 3015, 255}},
        {Combo1, "Combo1", {600, 1200, 1095, 315}},     {Label3, "Label3", {480, 1680, 2655, 375}},
        {Command1, "Command1", {600, 2040, 3015, 495}}, {Label5, "Label5", {480, 3360, 3255, 615}},
        {Label6, "Label6", {480, 4080, 3255, 1695}},    {Label4, "Label4", {480, 5760, 3255, 1335}},
        {Label8, "Label8", {480, 7200, 3375, 255}},     {List1, "List1", {4080, 360, 3495, 7080}},
    };

    // The geometry was drawn for a narrower font than most desktops use. Rather
    // than cut instructions off, enlarge everything by the least factor with
    // which every label's wrapped text fits its box.
    const auto allLabelsFit = [&](double scale) {
        for (const auto &[widget, name, box] : controls) {
            const auto *label = qobject_cast<QLabel *>(widget);
            if (label && label->heightForWidth(ToPixels(box.width, scale)) > ToPixels(box.height, scale))
                return false;
        }
        return true;
    };
    constexpr double ScaleStep = 0.01;
    m_scale = 1.0;
    while (m_scale < MaxLayoutScale && !allLabelsFit(m_scale))
        m_scale += ScaleStep;

    for (const auto &[widget, name, box] : controls) {
        widget->setObjectName(QLatin1StringView(name));
        widget->setGeometry(ToPixels(box, m_scale));
    }
    setFixedSize(ToPixels(ClientWidthTwips, m_scale), ToPixels(ClientHeightTwips, m_scale));
}

QStringList Form1::ListEntries() const
{
    QStringList entries;
    entries.reserve(List1->count());
    for (int row = 0; row < List1->count(); ++row)
        entries << List1->item(row)->text();
    return entries;
}

void Form1::Command1_Click()
{
    m_resetRunning = true;
    RunReset(*this);
    m_resetRunning = false;
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
    if (watched != List1)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        // The list's own Ctrl+C would copy just the current entry.
        if (static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy))
            return true;
    } else if (event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            CopyPrintout(key->key(), ListEntries(), QGuiApplication::clipboard());
    }
    return QWidget::eventFilter(watched, event);
}

QString Form1::SelectorText() const
{
    return Combo1->currentText();
}

void Form1::SetButtonEnabled(bool enabled)
{
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
    if (enabled) {
        if (!Timer1.isActive()) // enabling a running timer keeps its rhythm
            Timer1.start();
    } else
        Timer1.stop();
}

void Form1::CloseWindow()
{
    // Queued, so that it arrives after the reset has returned.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void Form1::AppendLine(const QString &line)
{
    List1->addItem(line);
    // Scrolling lays the whole list out: once per batch of lines, not per line,
    // or a long printout takes minutes to show.
    if (!m_scrollPending) {
        m_scrollPending = true;
        QMetaObject::invokeMethod(
            List1,
            [this] {
                m_scrollPending = false;
                List1->scrollToBottom();
            },
            Qt::QueuedConnection);
    }
}

void Form1::PumpEvents(PumpMode mode)
{
    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
    if (mode == PumpMode::WaitForActivity)
        flags |= QEventLoop::WaitForMoreEvents;
    QCoreApplication::processEvents(flags);
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
