// SPDX-License-Identifier: GPL-3.0-or-later
// The window offscreen: its layout, its keys, its menu, and a whole reset on
// a pseudo-terminal with the real event loop and timers.

#include "Harness.h"

#include "app/Form1.h"
#include "app/QtGerman.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutPages.h"
#include "printout/PrintoutRenderer.h"
#include "serial/DeviceSerialPort.h"
#include "tools/PtyMachine.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

namespace {

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
            enabled << action->text().section(' ', 0, 0).remove('&');
    }
    return enabled;
}

// A style that keeps wide margins around the text of list entries.
class WideMargins final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        return metric == PM_FocusFrameHMargin ? 100 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

struct Copying
{
    int key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QStringList status = {"*** Sende 22"}; // the program's status lines, then a blank line of its own
    QStringList printout;                  // then the machine's lines
    QString copied;                        // null: the clipboard keeps what it had
    QString said;                          // how the status line begins
};

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void layoutFitsAtEveryScale_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("wideMargins"); // around a list entry's text, as the style has it
        for (int points : {9, 12, 16})
            QTest::addRow("%d pt", points) << points << false;
        QTest::newRow("9 pt, a style with wide margins in lists") << 9 << true;
    }

    void layoutFitsAtEveryScale()
    {
        QFETCH(int, points);
        QFETCH(bool, wideMargins);
        const auto restore = qScopeGuard([font = QApplication::font(), style = QApplication::style()->name()] {
            QApplication::setFont(font);
            QApplication::setStyle(style);
        });
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
        if (wideMargins)
            QApplication::setStyle(new WideMargins(QStringLiteral("fusion")));
        Form1 form{PortDirectory()};
        for (int row = 0; row < 200; ++row) // a vertical scroll bar too
            form.AppendStatusLine(QString(Printout::PaperColumns, u'W'));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        QVERIFY(form.LayoutScale() < Form1::MaxLayoutScale);      // the least that fits, not the cap
        for (const QLabel *label : form.findChildren<QLabel *>()) // wrapped, and whole
            QVERIFY2(label->minimumSizeHint().width() <= label->width()
                             && label->heightForWidth(label->width()) <= label->height(),
                     qPrintable(label->objectName()));
        const auto *list = Control<QListView>(form, "List1");
        QTRY_VERIFY(list->verticalScrollBar()->isVisible());
        QTRY_VERIFY(list->viewport()->rect().contains(
                list->visualRect(list->model()->index(199, 0)))); // the newest in view
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        // Opened within the screen, with every control in view or scrolled to.
        QVERIFY(form.screen()->availableGeometry().contains(form.frameGeometry()));
        auto *scroller = form.findChild<QScrollArea *>();
        const auto controls = list->parentWidget()->findChildren<QWidget *>(
                QRegularExpression("^(Label|Combo|Command|Status)"));
        QCOMPARE(controls.size(), 10);
        for (QWidget *control : controls) {
            scroller->ensureWidgetVisible(control, 0, 0);
            QVERIFY2(scroller->viewport()->rect().contains(
                             QRect(control->mapTo(scroller->viewport(), QPoint()), control->size())),
                     qPrintable(control->objectName()));
        }
        // Made larger than the whole page, the window gives the list all the new room.
        const QSize listBefore = list->size();
        form.resize(list->parentWidget()->size() + QSize(300, 200));
        QTRY_COMPARE(list->width(), listBefore.width() + 300);
        QVERIFY(list->height() >= listBefore.height() + 200);
        // The button has the focus; Tab goes on to the list, then to the port field, and back.
        for (const char *next : {"Command1", "List1", "Combo1", "Command1"}) {
            QCOMPARE(form.focusWidget()->objectName(), QString(next));
            QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
        }
    }

    void wholeResetOnPseudoTerminal()
    {
        QTranslator german; // Qt's own words in its dialogs, as the program has them
        QVERIFY(InstallQtGerman(german));
        SimulatedMachine::Options options{SimulatedMachine::Scenario::Normal, 2};
        options.pieceIntervalMs = 2;
        PtyMachine machine(options);
        QTemporaryDir archive;
        Form1 form(PtyDirectory({{1, QFile::encodeName(machine.SlavePath())}}), PrintoutArchive(archive.path()));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *button = Control<QPushButton>(form, "Command1");
        DeviceSerialPort other(PtyDirectory(
                {{1, QFile::encodeName(machine.SlavePath())}})); // the window looked at the port, and let it go
        QVERIFY(other.SetPortNumber(1) && other.Open() && other.Close());
        // The port on offer and chosen, with its device; typed text is taken as typed, never completed.
        auto *combo = Control<QComboBox>(form, "Combo1");
        QCOMPARE(combo->currentText() + ": " + combo->itemData(0, Qt::ToolTipRole).toString(),
                 "COM1: " + machine.SlavePath() + " – festgelegt durch ZELVORIN_COM1");
        combo->clearEditText();
        QTest::keyClicks(combo, "COM");
        QCOMPARE(combo->currentText(), QStringLiteral("COM"));
        QTest::keyClick(combo, Qt::Key_1);
        QTest::keyClick(combo, Qt::Key_Return); // taken, not added to the list
        QCOMPARE(combo->count(), 1);
        button->setFocus();
        QTimer::singleShot(15000, &form, &QWidget::close); // a reset that never ends fails here, not at the time-out
        QTest::keyClick(button, Qt::Key_Space);            // returns when the reset is over
        QVERIFY(!form.State().QuitRequested);

        QCOMPARE(ToStrings(form.Entries()),
                 QStringList({"*** Sende 05 und Warte", "*** Sende 05 und Warte", "*** Sende VDAI-Code",
                              "*** Warte auf Daten", "", "*** Sende 22"})
                         + ToStrings(Printout::RenderPrintout(machine.Machine().FullTransmission())));
        QVERIFY(button->isEnabled() && Control<QComboBox>(form, "Combo1")->isEnabled());
        for (const QTimer *timer : form.findChildren<QTimer *>()) // idle, nothing wakes the processor
            QTRY_VERIFY(!timer->isActive());
        QCOMPARE(form.focusWidget(), button); // Space starts the next try, Tab leads to the list
        QTest::keyClick(button, Qt::Key_Tab);
        QCOMPARE(form.focusWidget()->objectName(), QStringLiteral("List1"));

        QTest::keyClick(form.focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(EnabledActions(form.ListMenu()), (QStringList{"Ausdruck", "Als", "Drucken", "Als", "Archivordner"}));
        form.ListMenu()->close();
        QTRY_VERIFY(!form.StatusText().endsWith("…")); // once the archive is written
        const QString firstStatus = form.StatusText(); // for screen readers too
        QCOMPARE(QAccessible::queryAccessibleInterface(Control<QLabel>(form, "StatusLine"))->text(QAccessible::Name),
                 QStringLiteral("Status"));
        QVERIFY2(firstStatus.startsWith("Ausdruck erhalten und gespeichert: ") && firstStatus.endsWith(".txt"),
                 qPrintable(firstStatus));

        // While the second printout comes in: Tab stays out of the port field,
        // and the menu offers no dialog that would hold the reset up.
        QStringList duringReset;
        connect(&machine, &PtyMachine::BytesSent, &form, [&] {
            if (!duringReset.isEmpty() || machine.Machine().CurrentPhase() != SimulatedMachine::Phase::Printing)
                return;
            QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
            QTest::keyClick(form.focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
            duringReset = EnabledActions(form.ListMenu())
                          << form.focusWidget()->objectName()
                          << QString::number(Control<QComboBox>(form, "Combo1")->isEnabled());
            form.ListMenu()->close();
        });
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(duringReset, (QStringList{"Ausdruck", "Archivordner", "List1", "0"}));
        QTest::keyClick(Control<QListView>(form, "List1"), Qt::Key_F10,
                        Qt::ShiftModifier); // the menu, now for the second printout
        form.ListMenu()->close();
        // The menu saves the second printout alone, proposing the archive's name for it.
        QTRY_VERIFY(!form.StatusText().endsWith("…"));
        const QString archived = QFileInfo(form.StatusText().section(": ", 1)).fileName();
        QVERIFY2(archived != firstStatus.section(": ", 1) && QFile::exists(archive.filePath(archived)),
                 qPrintable(archived));
        const auto contents = [&](const QString &name) {
            QFile file(archive.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QStringList proposed;
        QStringList said;
        for (const int entry : {1, 3}) { // text, PDF
            QTimer::singleShot(0, &form, [&] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                proposed << dialog->selectedFiles().value(0).section('/', -1)
                         << dialog->findChild<QDialogButtonBox *>()->buttons().first()->text().remove('&');
                dialog->selectFile(archive.filePath("<b>gespeichert" + proposed[proposed.size() - 2].right(4)));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            form.ListMenu()->actions()[entry]->trigger();
            said << form.StatusText();
        }
        QCOMPARE(proposed, (QStringList{archived, "Speichern", archived.chopped(4) + ".pdf", "Speichern"}));
        QVERIFY(!contents("<b>gespeichert.pdf").isEmpty());
        QCOMPARE(contents("<b>gespeichert.txt"), contents(archived));
        QCOMPARE(said, QStringList({"Gespeichert: " + archive.filePath("<b>gespeichert.txt"),
                                    "Gespeichert: " + archive.filePath("<b>gespeichert.pdf")}));
        auto *status = Control<QLabel>(form, "StatusLine"); // a name like markup is shown as it is
        status->setSelection(0, said.last().size());
        QCOMPARE(status->selectedText(), said.last());
    }

    void copyOnKeyRelease_data()
    {
        QTest::addColumn<Copying>("row");
        // A line of stars from the machine is printout; the program's own are status lines.
        const QStringList printout = {"AB", " ", "", "**x", "***********", "Münze 2 €"};
        const QString text = "\r\nAB\r\n \r\n\r\n**x\r\n***********\r\nMünze 2 €\r\n";
        const QString copiedSeven = "Ausdruck kopiert: 7 Zeilen";
        const QString keptBefore = "Nichts kopiert: die Liste hat keinen Ausdruck";
        QTest::newRow("C copies all but the status lines")
                << Copying{.key = Qt::Key_C, .printout = printout, .copied = text, .said = copiedSeven};
        QTest::newRow("Ctrl+C copies everything, not the current entry") << Copying{.key = Qt::Key_C,
                                                                                    .modifiers = Qt::ControlModifier,
                                                                                    .printout = printout,
                                                                                    .copied = text,
                                                                                    .said = copiedSeven};
        QTest::newRow("blank lines only: the clipboard keeps what it had")
                << Copying{.key = Qt::Key_C, .printout = {" "}, .said = keptBefore};
        QTest::newRow("another key copies nothing") << Copying{.key = Qt::Key_X, .printout = printout};
    }

    void copyOnKeyRelease()
    {
        QFETCH(Copying, row);
        Form1 form{PortDirectory()};
        ListEntries printout;
        for (const QString &line : std::as_const(row.printout))
            printout.Append(line);
        for (const QString &line : std::as_const(row.status))
            form.AppendStatusLine(line);
        form.AppendBlankLine();
        form.AppendPrintout(printout);
        const int key = row.key;
        const Qt::KeyboardModifiers modifiers = row.modifiers;
        const QString copied = row.copied;
        const QString status = row.said;
        const qsizetype entries = row.status.size() + 1 + row.printout.size();
        auto *list = Control<QListView>(form, "List1");
        QTRY_COMPARE(list->model()->rowCount(), entries);
        list->setCurrentIndex(list->model()->index(1, 0));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::keyPress(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before")); // held, not yet released
        QTest::keyRelease(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY2(status.isEmpty() ? form.StatusText().isEmpty() : form.StatusText().startsWith(status),
                     qPrintable(form.StatusText()));
        QCOMPARE(QGuiApplication::clipboard()->text(), copied.isNull() ? QStringLiteral("before") : copied);
        // Without a reset that brought a printout, nor an archive, the list's menu has nothing to offer.
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(EnabledActions(form.ListMenu()), QStringList());
        QVERIFY(form.close()); // idle, it closes at once
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
