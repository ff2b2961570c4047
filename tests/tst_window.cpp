// SPDX-License-Identifier: GPL-3.0-or-later
// The window offscreen: its layout, its keys, its menu, what it tells screen
// readers, and whole resets on a pseudo-terminal with the real event loop and
// timers.

#include "Harness.h"

#include "app/ArchiveView.h"
#include "app/Form1.h"
#include "app/WindowProgram.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutPages.h"
#include "printout/PrintoutRenderer.h"
#include "serial/DeviceSerialPort.h"
#include "tools/PtyMachine.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTranslator>

#include <dlfcn.h>
#include <unistd.h>

// Writes into a folder named "full" fail, as on a full disk.
extern "C" ssize_t write(int descriptor, const void *bytes, size_t size)
{
    char path[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
    const ssize_t length = ::readlink(link.constData(), path, sizeof path);
    if (length > 0 && QByteArrayView(path, length).contains("/full/"))
        return errno = ENOSPC, -1;
    return reinterpret_cast<decltype(&write)>(::dlsym(RTLD_NEXT, "write"))(descriptor, bytes, size);
}

namespace {

// A bound, not a wait: a megabyte's printout read under the sanitizers on a busy machine.
constexpr int LargeReadMs = 60000;

template<typename T>
T *Control(const Form1 &form, const char *name)
{
    return form.findChild<T *>(QLatin1StringView(name));
}

QStringList EnabledActions(const QMenu *menu)
{
    QStringList enabled;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator() && action->isEnabled())
            enabled << action->text().remove('&');
    }
    return enabled;
}

// Answers the next modal dialog, once it is there: `answer` gets it, and accepts it or not.
void WhenDialog(std::function<void(QDialog *)> answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            answer(dialog);
        else
            WhenDialog(answer);
    });
}

// The window with the simulated machine on COM1 and an archive of its own, shown.
struct Window
{
    explicit Window(SimulatedMachine::Options options, const QString &archiveFolder = QString())
        : machine(std::move(options))
        , form(PtyDirectory({{1, QFile::encodeName(machine.SlavePath())}}),
               PrintoutArchive(archiveFolder.isNull() ? archive.path() : archiveFolder))
    {
        form.show();
    }
    // Runs a reset by the button's key, as a person does; returns when it is over.
    void Reset()
    {
        QTimer::singleShot(15000, &form, &QWidget::close); // a reset that never ends fails here, not at the time-out
        QTest::keyClick(Control<QPushButton>(form, "Command1"), Qt::Key_Space);
    }
    QTemporaryDir archive;
    PtyMachine machine;
    Form1 form;
};

} // namespace

struct Copying
{
    QStringList printout; // the machine's lines, between status lines, after a blank one
    QString copied;       // null: the clipboard keeps what it had
    QString said;         // in the status line
};

struct Opening
{
    QString opener;      // what xdg-open does, as a shell script; null: there is none
    QString said;        // "%1" is the folder
    bool runsOn = false; // beyond our patience, noting its process number in the folder
};

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(SetUpWindowProgram(m_german)); // Qt's own words in its dialogs, as the program has them
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        qputenv("HOME", QFile::encodeName(m_home.path())); // without a documents folder, until one is made
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(".config")));
    }

    // At 9 pt, on this screen and on small ones.
    void layout()
    {
        const auto restore = qScopeGuard([font = QApplication::font()] { QApplication::setFont(font); });
        QFont font = QApplication::font();
        font.setPointSize(9);
        QApplication::setFont(font);
        // A port that does not open is left out, and the terminal says why.
        QTemporaryFile said;
        QVERIFY(said.open());
        const int terminal = ::dup(STDERR_FILENO);
        ::dup2(said.handle(), STDERR_FILENO);
        Form1 form{PtyDirectory({{2, "/nonexistent"}})};
        ::dup2(terminal, STDERR_FILENO);
        ::close(terminal);
        QCOMPARE(Contents(said.fileName()),
                 "zelvorin: COM2 (/nonexistent) lässt sich nicht öffnen: das Gerät gibt es nicht.\n");
        for (int line = 0; line < 200; ++line) // a vertical scroll bar too
            form.AppendStatusLine(QString(Printout::PaperColumns, u'W'));
        const bool tooShort = form.screen()->name() == "short";
        if (tooShort)
            form.move(100, 50); // away from the corner, where a window shrunk to the screen goes
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        QCOMPARE_LT(form.LayoutScale().height(), Form1::MaxLayoutScale); // the least that fits, not the cap
        QVERIFY(!Control<QLabel>(form, "StatusIcon")->isVisible());      // no warning, no sign of one
        const auto *list = Control<QListView>(form, "List1");
        QCOMPARE(list->font(), QFontDatabase::systemFont(QFontDatabase::FixedFont)); // the printout's columns
        QTRY_VERIFY(list->verticalScrollBar()->isVisible());
        QTRY_VERIFY(list->viewport()->rect().contains(list->visualRect(list->model()->index(199, 0)))); // the newest
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        // Opened within the screen, with every control in view, no scroll bar;
        // on a screen too short for the design, scrolled.
        QVERIFY(form.screen()->availableGeometry().contains(form.frameGeometry()));
        auto *scroller = form.findChild<QScrollArea *>();
        QCOMPARE(scroller->verticalScrollBar()->isVisible(), tooShort);
        // Where the screen is high enough, the design only enlarged: as high
        // for its width as drawn, to a pixel or two of rounding.
        const QSize page = scroller->widget()->minimumSize();
        const double drawnHeight = page.width() * double(Form1::ClientHeightTwips) / Form1::ClientWidthTwips;
        if (drawnHeight <= form.screen()->availableGeometry().height() - Form1::FrameAllowance.height())
            QCOMPARE_LE(qAbs(page.height() - drawnHeight), 2.0);
        QVERIFY(!scroller->horizontalScrollBar()->isVisible());
        const auto controls = list->parentWidget()->findChildren<QWidget *>(
                QRegularExpression("^(Label|Combo|Command|StatusLine|PortInfo|List)"));
        for (QWidget *control : controls) {
            QVERIFY2(tooShort
                             || scroller->viewport()->rect().contains(
                                     QRect(control->mapTo(scroller->viewport(), QPoint()), control->size())),
                     qPrintable(control->objectName()));
            auto *label = qobject_cast<QLabel *>(control);
            if (label == nullptr)
                continue;
            // Every word of every text shown, on as many lines as it takes,
            // from the top of its box down, as the design reads.
            QCOMPARE_LE(label->minimumSizeHint().width(), label->width());
            const int room = label->height() - label->heightForWidth(label->width());
            if (label->text().isEmpty() || room < label->fontMetrics().lineSpacing())
                continue;
            const QImage drawn = label->grab().toImage();
            int blank = 0;
            while (blank < drawn.height()
                   && drawn.copy(0, blank, drawn.width(), 1) == drawn.copy(0, 0, drawn.width(), 1))
                ++blank;
            QCOMPARE_LT(blank, room / 2);
        }
        // The button has the focus; Tab goes on to the list, then to the port field, and back.
        for (const char *next : {"Command1", "List1", "Combo1", "Command1"}) {
            QCOMPARE(form.focusWidget()->objectName(), QString(next));
            QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
        }
        // Room the window gains goes to the list.
        const QSize listSize = list->size();
        form.resize(form.width(), form.height() + 50);
        QTRY_COMPARE(list->height(), listSize.height() + 50);
        form.resize(form.width() + 50, form.height());
        QTRY_COMPARE(list->width(), listSize.width() + 50);
    }

    void wholeResetOnPseudoTerminal()
    {
        Window window({.answerAtPoll = 2, .pieceIntervalMs = 60});
        Form1 &form = window.form;
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // What a screen reader reads, and the port's device in view for the keyboard too.
        const auto name = [&form](const char *control) {
            return QAccessible::queryAccessibleInterface(Control<QWidget>(form, control))->text(QAccessible::Name);
        };
        QCOMPARE(form.windowTitle(), "Zelvorin 1.00 – ein Werkzeug des Zelvorin-Projekts");
        QCOMPARE(form.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}})); // the program's
        QCOMPARE(name("List1"), "Ausdruck");
        QCOMPARE(name("Command1"), "Rückstellen");
        QCOMPARE(name("StatusLine"), "Status");
        // The port field by the label beside it, as screen readers on Linux name a field.
        const auto labels = QAccessible::queryAccessibleInterface(Control<QWidget>(form, "Combo1"))
                                    ->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->text(QAccessible::Name), "Schnittstelle");
        const QString device = window.machine.SlavePath() + " – festgelegt durch ZELVORIN_COM1";
        QCOMPARE(Control<QLabel>(form, "PortInfo")->toolTip(), device);
        QCOMPARE(Control<QLabel>(form, "PortInfo")->accessibleDescription(), device);
        QCOMPARE(
                QAccessible::queryAccessibleInterface(Control<QWidget>(form, "Combo1"))->text(QAccessible::Description),
                device);
        auto *button = Control<QPushButton>(form, "Command1");
        DeviceSerialPort other(PtyDirectory({{1, QFile::encodeName(window.machine.SlavePath())}}));
        QVERIFY(other.SetPortNumber(1)); // the window looked at the port, and let it go
        QVERIFY(other.Open());
        QVERIFY(other.Close());
        auto *combo = Control<QComboBox>(form, "Combo1");
        QCOMPARE(combo->currentText(), "COM1");
        QCOMPARE(combo->itemData(0, Qt::ToolTipRole).toString(), device);
        QVERIFY(Control<QLabel>(form, "PortInfo")->text().startsWith("/dev/pts/")); // beside the field
        button->setFocus();
        // Frühere Ausdrucke, open meanwhile with an earlier printout chosen, offers nothing that opens a dialog.
        QVERIFY(WriteFile(window.archive.filePath("2026-12-05_10-00-00_COM1.bin"), "VDAI!Automat Nr. 1\n\x16"));
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        const auto dialogOffered = [actions = form.ArchiveWindow()->findChild<QTableView *>()->actions()] {
            return std::ranges::any_of(actions, [](const QAction *action) {
                return action->isEnabled() && action->shortcut() != QKeySequence::Copy;
            });
        };
        QTRY_VERIFY(dialogOffered());
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // While the reset runs, the status line says how far it has come, and
        // tells screen readers of each phase, not of every count.
        struct : ResetListener
        {
            QLabel *status;
            std::function<bool()> dialogOffered;
            QStringList shown;
            QStringList announced;
            bool dialogOfferedMeanwhile = false;
            QWidget *button = nullptr;
            bool buttonEnabledMeanwhile = false;
            static void Add(QStringList &to, const QString &text)
            {
                if (to.value(to.size() - 1) != text)
                    to << text;
            }
            void Note()
            {
                Add(shown, status->text());
                Add(announced, status->accessibleDescription());
                dialogOfferedMeanwhile |= dialogOffered();
                buttonEnabledMeanwhile |= button->isEnabled();
            }
            void PhaseChanged(const ResetRecord &, Phase, int) override { Note(); }
            void BytesReceived(QByteArrayView, qint64) override { Note(); }
        } reader;
        reader.status = Control<QLabel>(form, "StatusLine");
        reader.dialogOffered = dialogOffered;
        reader.button = button;
        form.Listeners().Add(&reader);
        window.Reset();
        QVERIFY(!reader.dialogOfferedMeanwhile);
        QVERIFY(!reader.buttonEnabledMeanwhile);

        QCOMPARE(reader.shown.first(), "COM1: rufe den Automaten (Versuch 1 von 20)"); // the last result gone
        const QStringList coming = reader.shown.filter(QRegularExpression(
                "^Empfange Ausdruck: [\\d,]+ (Bytes|kB), \\d+ Zeilen – letzte Daten vor \\d+ s – Esc bricht ab$"));
        QCOMPARE_GT(coming.size(), 1); // counted on as it comes
        QVERIFY(button->isEnabled());
        QVERIFY(combo->isEnabled());
        for (const QTimer *timer : form.findChildren<QTimer *>()) // idle, nothing wakes the processor
            QTRY_VERIFY(!timer->isActive());
        QCOMPARE(form.focusWidget(), button);          // Space starts the next try
        QTRY_VERIFY(!form.StatusText().endsWith("…")); // once the archive has it
        QCOMPARE(ToStrings(form.Entries()),            // and nothing more once it has
                 QStringList({"*** Sende 05 und Warte", "*** Sende 05 und Warte", "*** Sende VDAI-Code",
                              "*** Warte auf Daten", "", "*** Sende 22"})
                         + ToStrings(Printout::RenderPrintout(window.machine.Machine().FullTransmission())));
        const QString kept = form.StatusText().section(": ", 1);
        QCOMPARE(form.StatusText(), "Ausdruck erhalten und gespeichert: " + kept);
        QCOMPARE(reader.announced,
                 (QStringList{"COM1: rufe den Automaten (Versuch 1 von 20)",
                              "COM1: rufe den Automaten (Versuch 2 von 20)", "COM1: Automat hat geantwortet",
                              "COM1: Automat hat geantwortet, warte auf den Ausdruck – Esc bricht ab",
                              "COM1: Rückstellung wird beendet"}));
        QCOMPARE(Control<QLabel>(form, "StatusLine")->accessibleDescription(), form.StatusText()); // and the result
        QCOMPARE(Control<QLabel>(form, "StatusLine")->toolTip(), form.StatusText()); // whole, where the line cuts it

        // What the list's menu offers once there is a printout.
        QTest::keyClick(button, Qt::Key_Tab);
        QTest::keyClick(form.focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(EnabledActions(form.ListMenu()),
                 (QStringList{"Ausdruck kopieren\tC", "Als Textdatei speichern …", "Drucken …", "Als PDF speichern …",
                              "Frühere Ausdrucke …", "Archivordner öffnen"}));
        QVERIFY(form.ListMenu()->actions().at(4)->isSeparator()); // the archive's entries apart
        form.ListMenu()->close();
        // Saved as text by Ctrl+S, from the button: proposed under the archive's name.
        QStringList proposed;
        WhenDialog([&](QDialog *dialog) {
            auto *files = qobject_cast<QFileDialog *>(dialog);
            proposed << files->selectedFiles().value(0)
                     << files->findChild<QDialogButtonBox *>()->buttons().first()->text().remove('&');
            files->selectFile(window.archive.filePath("<b>gespeichert.txt"));
            QMetaObject::invokeMethod(files, "accept");
        });
        QTest::keyClick(button, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(proposed, (QStringList{m_home.filePath(QFileInfo(kept).fileName()), "Speichern"})); // no Documents
        QCOMPARE(Contents(window.archive.filePath("<b>gespeichert.txt")), Contents(kept));
        QCOMPARE(form.StatusText(), "Gespeichert: " + window.archive.filePath("<b>gespeichert.txt"));
        auto *statusLine = Control<QLabel>(form, "StatusLine"); // to be selected and copied, as it reads
        statusLine->setSelection(0, int(form.StatusText().size()));
        QCOMPARE(statusLine->selectedText(), form.StatusText());
        // Printed to a file by Ctrl+P: the archive's name proposed, and the status line says where;
        // onto a full disk, that it is not.
        QString offered;
        const auto printTo = [&](const QString &name) {
            WhenDialog([&](QDialog *dialog) {
                auto *file = dialog->findChild<QLineEdit *>("filename");
                offered = file->text();
                file->setText(window.archive.filePath(name));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            form.activateWindow(); // back from the dialog
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTest::keyClick(button, Qt::Key_P, Qt::ControlModifier);
        };
        QVERIFY(QDir(window.archive.path()).mkdir("full"));
        printTo("full/gedruckt.pdf");
        QVERIFY2(form.StatusText().startsWith("Nicht gespeichert: " + window.archive.filePath("full/gedruckt.pdf")),
                 qPrintable(form.StatusText()));
        QVERIFY(QDir(m_home.path()).mkdir("Documents"));
        printTo("gedruckt.pdf");
        QCOMPARE(offered, m_home.filePath("Documents/" + QFileInfo(kept).completeBaseName() + ".pdf"));
        QCOMPARE(form.StatusText(), "Gespeichert: " + window.archive.filePath("gedruckt.pdf"));
        QVERIFY(Contents(window.archive.filePath("gedruckt.pdf")).startsWith("%PDF"));
        // The port is what the user types: nothing completed, nothing added to the list.
        combo->clearEditText();
        QTest::keyClicks(combo, "COM");
        QTest::keyClick(combo, Qt::Key_Enter);
        QCOMPARE(combo->currentText(), "COM");
        QCOMPARE(combo->count(), 1);
        QVERIFY(form.close());
        QVERIFY(!form.ArchiveWindow()->isVisible()); // closed with the main window
    }

    // Esc during a reset ends it as a close would, and the window stays, ready for the next try.
    void cancelWithEsc()
    {
        Window window({.scenario = SimulatedMachine::Scenario::NoFinalSyn, .answerAtPoll = 1, .pieceIntervalMs = 40});
        connect(&window.machine, &PtyMachine::BytesSent, &window.form, [&window] {
            if (window.machine.Machine().Sent().size() > 200)
                QTest::keyClick(&window.form, Qt::Key_Escape);
        });
        window.Reset();
        QCOMPARE(window.machine.Received().right(1), "\x16");              // the SYN all the same
        QCOMPARE(ToStrings(window.form.Entries()).last(), "*** Sende 22"); // no printout, as after a close
        QTRY_VERIFY(!window.form.StatusText().endsWith("…"));
        QVERIFY2(window.form.StatusText().startsWith("Abgebrochen – Ausdruck unvollständig gespeichert: "),
                 qPrintable(window.form.StatusText()));
        QVERIFY(window.form.isVisible());
    }

    // A printout the archive could not keep is never lost without a word:
    // the status line warns, and offers to save it elsewhere.
    void unkeptPrintoutWarns()
    {
        QTemporaryDir dir;
        QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
        Window window({.answerAtPoll = 1}, dir.filePath("file/Ausdrucke"));
        const QRect status = Control<QLabel>(window.form, "StatusLine")->geometry();
        window.Reset();
        auto *save = Control<QPushButton>(window.form, "StatusSave");
        QTRY_VERIFY(save->isVisible());
        QCOMPARE(save->geometry().bottomLeft(), status.bottomLeft()); // at the foot of the status line
        QCOMPARE(window.form.StatusText(), "Ausdruck nicht gespeichert: " + dir.filePath("file/Ausdrucke")
                                                   + ": der Ordner lässt sich nicht anlegen");
        const auto *icon = Control<QLabel>(window.form, "StatusIcon");
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->accessibleName(), "Warnung");
        QVERIFY(!icon->pixmap().isNull());
        // The warning's text beside the icon and above the button.
        const auto *line = Control<QLabel>(window.form, "StatusLine");
        QCOMPARE(line->x() + line->contentsRect().x(), icon->geometry().right() + 1);
        QCOMPARE(line->geometry().bottom() + 1, save->y());
        // Onto a full disk: said so, and no empty file left behind.
        const auto saveAs = [&](const QString &name) {
            WhenDialog([&](QDialog *dialog) {
                qobject_cast<QFileDialog *>(dialog)->selectFile(dir.filePath(name));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            save->click();
        };
        QVERIFY(QDir(dir.path()).mkdir("full"));
        saveAs("full/gerettet.txt");
        QVERIFY2(window.form.StatusText().startsWith("Nicht gespeichert: " + dir.filePath("full/gerettet.txt") + ": "),
                 qPrintable(window.form.StatusText()));
        QCOMPARE(Files(dir.filePath("full")), QStringList());
        saveAs("gerettet.txt");
        QCOMPARE(Contents(dir.filePath("gerettet.txt")),
                 Printout::JoinLines(Printout::RenderPrintout(window.machine.Machine().FullTransmission())).toUtf8());
        QVERIFY(!icon->isVisible()); // the warning gave way
        QCOMPARE(line->contentsRect().x(), 0);
    }

    void copyOnKeyRelease_data()
    {
        QTest::addColumn<Copying>("row");
        // A line of stars from the machine is printout; the program's own are status lines.
        QTest::newRow("C copies all but the status lines")
                << Copying{.printout = {"AB", " ", "", "**x", "***********", "Münze 2 €"},
                           .copied = "\r\nAB\r\n \r\n\r\n**x\r\n***********\r\nMünze 2 €\r\n",
                           .said = "Ausdruck kopiert: 7 Zeilen"};
        QTest::newRow("blank lines only: the clipboard keeps what it had")
                << Copying{.printout = {" "},
                           .said = "Nichts kopiert: die Liste hat keinen Ausdruck; die Zwischenablage bleibt, wie sie "
                                   "war"};
    }
    void copyOnKeyRelease()
    {
        QFETCH(Copying, row);
        Form1 form{PortDirectory()};
        form.AppendStatusLine("*** Sende 22");
        form.AppendBlankLine();
        form.AppendPrintout(FromStrings(row.printout));
        form.AppendStatusLine("*** FEHLER:");
        auto *list = Control<QListView>(form, "List1");
        QTRY_COMPARE(list->model()->rowCount(), 3 + row.printout.size());
        list->setCurrentIndex(list->model()->index(1, 0));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::keyPress(list, Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before")); // held, not yet released
        QTest::keyRelease(list, Qt::Key_C);
        QTRY_COMPARE(form.StatusText(), row.said);
        QCOMPARE(QGuiApplication::clipboard()->text(), row.copied.isNull() ? QStringLiteral("before") : row.copied);
        // Without a reset that brought a printout, nor an archive, the list's menu has nothing to offer.
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(EnabledActions(form.ListMenu()), QStringList());
        form.ListMenu()->close();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                     list->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list->viewport(), &rightClick); // the same menu
        QVERIFY(form.ListMenu()->isVisible());
        QVERIFY(form.close()); // idle, it closes at once
    }

    // "Frühere Ausdrucke": every kept printout, found by a search, shown as
    // the list shows it, copied, two compared; only read, never changed.
    void earlierPrintouts()
    {
        QTemporaryDir archive;
        const auto keep = [&archive](const QString &name, int machine, int sum) {
            QVERIFY(WriteFile(archive.filePath(name), QStringLiteral("VDAI!Automat Nr. %1\nSumme %2\nEnde\nDanke\n\x16")
                                                              .arg(machine)
                                                              .arg(sum)
                                                              .toLatin1()));
        };
        keep("2026-12-05_10-00-00_COM1.bin", 1, 10);
        keep("2026-12-06_10-00-00_COM2.bin", 2, 20);
        keep("2026-12-07_10-00-00_COM1.bin", 1, 15);
        QVERIFY(QDir(archive.path()).mkdir("2026-12-04_10-00-00_<b>COM1.bin"));
        Form1 form(PortDirectory(), PrintoutArchive(archive.path()));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        ArchiveView *view = form.ArchiveWindow();
        QCOMPARE(view->StatusText(), "Lese das Archiv …"); // until the files are read
        QVERIFY(QTest::qWaitForWindowActive(view));
        QCOMPARE(view->windowTitle(), "Frühere Ausdrucke – Zelvorin");
        auto *table = view->findChild<QTableView *>("Printouts");
        // Every change of the list as views expect it.
        QAbstractItemModelTester modelTester(table->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(view->focusWidget(), table); // Up and Down work at once
        QTRY_COMPARE(view->StatusText(), "4 Ausdrucke");
        const auto cell = [table](int row, int column) { return table->model()->index(row, column).data().toString(); };
        QCOMPARE(table->model()->headerData(ArchiveModel::Time, Qt::Horizontal), "Datum und Zeit");
        QCOMPARE(cell(0, ArchiveModel::Time), "07.12.2026 10:00:00"); // newest first
        QCOMPARE(cell(2, ArchiveModel::FirstLine), "Automat Nr. 1");
        // Every cell shown whole, the list wider than the printout beside it.
        QCOMPARE_GE(table->columnWidth(ArchiveModel::Time), table->fontMetrics().horizontalAdvance(cell(0, 0)));
        auto *printout = view->findChild<QListView *>("Printout");
        QCOMPARE_GT(table->width(), printout->width());
        QCOMPARE(table->horizontalHeader()->length(), table->viewport()->width()); // no empty strip beside
        // The search above the printouts, the status below them.
        const auto top = [view](const QWidget *part) { return part->mapTo(view, QPoint()).y(); };
        const auto *search = view->findChild<QLineEdit *>();
        QCOMPARE_LT(top(search) + search->height(), top(table));
        QCOMPARE(search->placeholderText(),
                 "Suchen (Strg+F): Automatennummer, Produkt …"); // what it finds, by which key
        QCOMPARE_LT(top(table) + table->height(), top(view->findChild<QLabel *>()));
        // Each part named for screen readers; printouts in the fixed font, as in the main window.
        QStringList named;
        for (const QWidget *part : view->findChildren<QWidget *>())
            named << part->accessibleName();
        named.removeAll(QString());
        named.sort();
        QCOMPARE(named, (QStringList{"Ausdruck", "Frühere Ausdrucke", "Status", "Suchen", "Vergleich"}));
        QCOMPARE(printout->font(), QFontDatabase::systemFont(QFontDatabase::FixedFont));
        QCOMPARE(view->findChild<QTableView *>("Comparison")->font(), printout->font());

        // The newest shown as the list would show it, and copied as the key C copies it.
        // The printout is read beside the window: shown only once read.
        const auto shown = [printout](int row) {
            return printout->model() ? printout->model()->index(row, 0).data().toString() : QString();
        };
        QTRY_COMPARE(shown(1), "Summe 15");
        QCOMPARE(printout->model()->rowCount(), 5);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "Automat Nr. 1\r\nSumme 15\r\nEnde\r\nDanke\r\n\r\n");
        QTest::keyClick(table, Qt::Key_Return); // on to the printout shown, to be read line by line
        QCOMPARE(view->focusWidget(), printout);

        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(view->focusWidget(), "NR. 2");
        // The search waits for a pause in the typing rather than going at every key.
        QVERIFY(std::ranges::any_of(view->findChildren<QTimer *>(),
                                    [](const QTimer *timer) { return timer->isActive() && timer->interval() >= 100; }));
        QTRY_COMPARE(view->StatusText(), "1 von 4 Ausdrucken enthält »NR. 2«");
        QCOMPARE(cell(0, ArchiveModel::Port), "COM2");
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier); // the search chosen whole
        QTest::keyClick(view->focusWidget(), Qt::Key_Delete);
        QTRY_COMPARE(view->StatusText(), "4 Ausdrucke");
        table->setFocus();
        // Two: side by side, what differs marked.
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier);
        auto *comparison = view->findChild<QTableView *>("Comparison");
        QTRY_VERIFY(comparison->isVisible());
        QTRY_COMPARE(view->StatusText(), "2 Zeilen unterscheiden sich");
        QCOMPARE(comparison->model()->index(0, 2).data().toString(), "Automat Nr. 2");
        QTest::keyClick(table, Qt::Key_Down); // the oldest
        QTRY_COMPARE(shown(0), "nicht lesbar: ein Ordner, keine Datei");
        QVERIFY(printout->isVisible());                        // in place of the comparison
        QTest::keyClick(table, Qt::Key_Up, Qt::ShiftModifier); // and the one above: no comparison, and why
        QTRY_COMPARE(view->StatusText(),
                     "Kein Vergleich, nicht lesbar: 2026-12-04_10-00-00_<b>COM1.bin: ein Ordner, keine Datei");
        auto *status = view->findChild<QLabel *>(); // the name as it is, not as markup, to be copied
        status->setSelection(0, int(view->StatusText().size()));
        QCOMPARE(status->selectedText(), view->StatusText());
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(view->focusWidget(), "fehlt");
        QTRY_COMPARE(view->StatusText(), "0 von 4 Ausdrucken enthalten »fehlt«");
        QVERIFY(!printout->model());                  // nothing shown of what is no longer listed
        for (const QAction *action : view->actions()) // nor copied, saved or printed
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));

        QCOMPARE(Files(archive.path()).size(), 3); // read, never written
        // A printout kept meanwhile is listed, and the one chosen stays chosen.
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(view->focusWidget(), Qt::Key_Delete);
        QTRY_COMPARE(view->StatusText(), "4 Ausdrucke");
        table->selectRow(1);
        keep("2026-12-01_10-00-00_COM1.bin", 4, 40);
        QTRY_COMPARE(view->StatusText(), "5 Ausdrucke");
        QTRY_COMPARE(shown(1), "Summe 20");
        // The folder deleted, and made again by a reset: seen all the same.
        QVERIFY(QDir(archive.path()).removeRecursively());
        QTRY_COMPARE(view->StatusText(), "0 Ausdrucke");
        QVERIFY(QDir().mkpath(archive.path()));
        keep("2026-12-08_10-00-00_COM1.bin", 3, 30);
        QTRY_COMPARE(view->StatusText(), "1 Ausdruck");
        // Idle, nothing wakes the processor; the timers asked anew each time, as one may go meanwhile.
        QTRY_VERIFY(std::ranges::none_of(view->findChildren<QTimer *>(),
                                         [](const QTimer *timer) { return timer->isActive(); }));
        QTest::keyClick(table, Qt::Key_Escape);
        QVERIFY(!view->isVisible());
    }

    // A printout of more pages than are printed is refused before a page is
    // set, which could hold the window for minutes; the file it would replace stays.
    void tooManyPages()
    {
        QTemporaryDir archive;
        QVERIFY(WriteFile(archive.filePath("2026-12-05_10-00-00_COM1.bin"),
                          "VDAI!" + QByteArray(1'000'000, '\n') + "\x16")); // over a thousand pages in any font
        QVERIFY(WriteFile(archive.filePath("da.pdf"), "da"));
        Form1 form(PortDirectory(), PrintoutArchive(archive.path()));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        ArchiveView *view = form.ArchiveWindow();
        QVERIFY(QTest::qWaitForWindowActive(view));
        WhenDialog([&](QDialog *dialog) {
            auto *files = qobject_cast<QFileDialog *>(dialog);
            files->setOption(QFileDialog::DontConfirmOverwrite); // as a yes to it
            files->selectFile(archive.filePath("da.pdf"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        // once the printout is read, which takes seconds under the sanitizers on a busy machine
        QTRY_VERIFY_WITH_TIMEOUT(view->actions().first()->isEnabled(), LargeReadMs);
        QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY2(QRegularExpression("^Nicht gespeichert: " + QRegularExpression::escape(archive.filePath("da.pdf"))
                                    + ": \\d{4,} Seiten, mehr als 1000 gehen nicht – als Textdatei speichern$")
                         .match(view->StatusText())
                         .hasMatch(),
                 qPrintable(view->StatusText()));
        QCOMPARE(Contents(archive.filePath("da.pdf")), "da");
    }

    // The archive read anew shows whole, until the search narrows it again:
    // rows a search found in the list before would point into the new one.
    void archiveReadAnewShownWhole()
    {
        ArchiveModel model;
        model.ShowOnly(QList<qsizetype>{});
        model.SetEntries(QList<ArchiveEntry>(2));
        QCOMPARE(model.rowCount(), 2);
    }

    // "Archivordner öffnen" says the folder is open only when a file manager took it.
    void openArchiveFolder_data()
    {
        QTest::addColumn<Opening>("row");
        QTest::newRow("a file manager takes it") << Opening{.opener = "exit 0", .said = "Archivordner geöffnet: %1"};
        QTest::newRow("there is no opener") << Opening{.said = "Kein Dateimanager gefunden – Ordner: %1"};
        QTest::newRow("none is set up") << Opening{.opener = "exit 3",
                                                   .said = "Kein Dateimanager gefunden – Ordner: %1"};
        // As xdg-open does where it waits for the file manager it started.
        QTest::newRow("one that runs on: taken, left running, and what it ends with not said")
                << Opening{.opener = "echo $$ >\"$1/pid\"; /bin/sleep 3.5; exit 3",
                           .said = "Archivordner geöffnet: %1",
                           .runsOn = true};
    }
    void openArchiveFolder()
    {
        QFETCH(Opening, row);
        QTemporaryDir tools;
        if (!row.opener.isNull()) {
            QVERIFY(WriteFile(tools.filePath("xdg-open"), "#!/bin/sh\n" + row.opener.toUtf8() + '\n'));
            QFile::setPermissions(tools.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(tools.path()));
        const auto restore = qScopeGuard([path] { qputenv("PATH", path); });
        QTemporaryDir archive;
        Form1 form(PortDirectory(), PrintoutArchive(archive.filePath("Ausdrucke")));
        form.ListMenu()->actions().last()->trigger();
        const QString said = row.said.arg(archive.filePath("Ausdrucke"));
        QTRY_COMPARE_WITH_TIMEOUT(form.StatusText(), said, 10000);
        QVERIFY(QFileInfo(archive.filePath("Ausdrucke")).isDir()); // made, so that there is one to open
        if (!row.runsOn)
            return;
        const pid_t opener = Contents(archive.filePath("Ausdrucke/pid")).trimmed().toInt();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(::kill(opener, 0), 0);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(opener, 0) != 0, 10000);
        QCOMPARE(form.StatusText(), said);
    }

private:
    QTranslator m_german;
    QTemporaryDir m_runtime;
    QTemporaryDir m_home;
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
