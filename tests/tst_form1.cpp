#include "Pty.h"

#include "app/Form1.h"
#include "printout/PrintoutRenderer.h"
#include "tools/PtyMachine.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

const QByteArray Enq(1, '\x05');
const QByteArray Syn(1, '\x16');

SimulatedMachine::Options FastMachine(SimulatedMachine::Scenario scenario, int answerAt)
{
    SimulatedMachine::Options options;
    options.scenario = scenario;
    options.answerAtPoll = answerAt;
    options.pieceBytes = 64;
    options.pieceIntervalMs = 2;
    return options;
}

template <typename T>
T *Control(const Form1 &form, const char *name)
{
    T *control = form.findChild<T *>(QLatin1StringView(name));
    if (!control)
        qFatal("no control %s", name);
    return control;
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void everyLabelFitsItsBox();
    void buttonHasFocusThenListThenSelector();
    void selectorOffersTheUsablePorts();
    void closeWhileIdleClosesAtOnce();
    void wholeResetOnPseudoTerminal();
    void closeDuringDataPhaseWindsDown();
    void copyPrintout_data();
    void copyPrintout();
    void copyOfEmptyListLeavesEmptyText();
    void listsOwnCopyStaysOut();
};

void TestForm1::everyLabelFitsItsBox()
{
    Form1 form{PortDirectory()};
    QVERIFY(form.LayoutScale() >= 1.0);
    QVERIFY(form.LayoutScale() < Form1::MaxLayoutScale);
    const auto labels = form.findChildren<QLabel *>();
    QCOMPARE(labels.size(), 7);
    for (const QLabel *label : labels) {
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->objectName()));
        QVERIFY(form.rect().contains(label->geometry()));
    }
    QVERIFY(form.rect().contains(Control<QListWidget>(form, "List1")->geometry()));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.width(), qRound(Form1::ClientWidthTwips * form.LayoutScale() / Form1::TwipsPerPixel));
    QVERIFY(form.windowTitle().startsWith(QStringLiteral("Zelvorin 1.00")));
}

void TestForm1::buttonHasFocusThenListThenSelector()
{
    Form1 form{PortDirectory()};
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), Control<QPushButton>(form, "Command1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Control<QListWidget>(form, "List1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Combo1"));
}

void TestForm1::selectorOffersTheUsablePorts()
{
    Pty second;
    Pty fifth;
    Form1 form(PtyDirectory({{2, second.SlavePath()}, {5, fifth.SlavePath()}}));
    const auto *combo = Control<QComboBox>(form, "Combo1");
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("COM2"));
    QCOMPARE(combo->itemText(1), QStringLiteral("COM5"));
    QCOMPARE(combo->currentText(), QStringLiteral("COM2"));
    QVERIFY(combo->itemData(1, Qt::ToolTipRole).toString().startsWith(fifth.SlavePath()));
    QVERIFY(!form.Port().IsOpen());
}

void TestForm1::closeWhileIdleClosesAtOnce()
{
    Form1 form{PortDirectory()};
    form.show();
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
}

void TestForm1::wholeResetOnPseudoTerminal()
{
    PtyMachine machine(FastMachine(SimulatedMachine::Scenario::Normal, 2));
    QVERIFY(machine.IsValid());
    Form1 form(PtyDirectory({{1, machine.SlavePath()}}));
    form.show();

    Control<QPushButton>(form, "Command1")->click(); // returns when the reset is over

    const QByteArray rx = form.State().RxBuffer;
    QCOMPARE(rx, machine.Machine().FullTransmission());
    QCOMPARE(machine.Received(), Enq + Enq + SimulatedMachine::ExpectedCommand() + Syn);
    QStringList expected = {"*** Sende 05 und Warte", "*** Sende 05 und Warte", "*** Sende VDAI-Code",
                            "*** Warte auf Daten", "", "*** Sende 22"};
    for (const QByteArrayView line : Printout::RenderLines(rx))
        expected << Printout::DecodeWindows1252(line);
    QCOMPARE(form.ListEntries(), expected);
    QVERIFY(expected.contains(QStringLiteral("Münzröhren")));
    QVERIFY(Control<QPushButton>(form, "Command1")->isEnabled());
    QVERIFY(form.isVisible());
}

void TestForm1::closeDuringDataPhaseWindsDown()
{
    PtyMachine machine(FastMachine(SimulatedMachine::Scenario::NoFinalSyn, 1));
    Form1 form(PtyDirectory({{1, machine.SlavePath()}}));
    form.show();
    // The user closes the window once the whole printout (without its SYN) is in.
    const qsizetype all = machine.Machine().FullTransmission().size();
    connect(&machine, &PtyMachine::BytesSent, &form, [&] {
        if (machine.Machine().Sent().size() == all)
            QTimer::singleShot(50, &form, [&form] { QVERIFY(!form.close()); });
    });

    Control<QPushButton>(form, "Command1")->click();

    QVERIFY(form.State().QuitRequested);
    QVERIFY(form.isVisible()); // the close comes once the reset has returned
    QTRY_VERIFY(!form.isVisible());
    QCOMPARE(form.ListEntries().last(), QStringLiteral("*** Sende 22")); // no printout
    QTRY_VERIFY(machine.Received().endsWith(Syn));
}

void TestForm1::copyPrintout_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("copies");

    QTest::newRow("C copies") << int(Qt::Key_C) << int(Qt::NoModifier) << true;
    QTest::newRow("Ctrl+C copies everything, not the current entry")
        << int(Qt::Key_C) << int(Qt::ControlModifier) << true;
    QTest::newRow("Shift+C copies") << int(Qt::Key_C) << int(Qt::ShiftModifier) << true;
    QTest::newRow("Alt+C copies") << int(Qt::Key_C) << int(Qt::AltModifier) << true;
    QTest::newRow("another key copies nothing") << int(Qt::Key_X) << int(Qt::NoModifier) << false;
    QTest::newRow("Ctrl+Insert copies nothing") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << false;
}

void TestForm1::copyPrintout()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, copies);

    Form1 form{PortDirectory()};
    for (const QString &entry : {"*** Sende 22", "AB", " ", "", "**x", "***x", "Münze 2 €", "**"})
        form.AppendLine(entry);
    auto *list = Control<QListWidget>(form, "List1");
    list->setCurrentRow(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    const QString expected = copies ? QStringLiteral("AB\r\n \r\n\r\n**x\r\nMünze 2 €\r\n**\r\n")
                                    : QStringLiteral("before");
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
}

void TestForm1::copyOfEmptyListLeavesEmptyText()
{
    Form1 form{PortDirectory()};
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(Control<QListWidget>(form, "List1"), Qt::Key_C);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
}

void TestForm1::listsOwnCopyStaysOut()
{
    Form1 form{PortDirectory()};
    form.AppendLine(QStringLiteral("AB"));
    auto *list = Control<QListWidget>(form, "List1");
    list->setCurrentRow(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyPress(list, Qt::Key_C, Qt::ControlModifier); // held, not yet released
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    QTest::keyRelease(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("AB\r\n"));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
