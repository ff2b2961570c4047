// Faults the program must survive on a real port and the real event loop:
// no freeze, no crash, no byte lost or repeated, and a clean close after.

#include "FakeResetHost.h"
#include "Pty.h"

#include "app/Form1.h"
#include "printout/PrintoutCopy.h"
#include "reset/ResetExchange.h"
#include "serial/DeviceSerialPort.h"
#include "tools/PtyMachine.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList FailureLines = {QStringLiteral("*** FEHLER:"), QStringLiteral("*** Automat Antwortet nicht"),
                                  QString()};

enum class HangUp { AtFirstPoll, AfterAnswer, InData, AfterOurSyn };

} // namespace

Q_DECLARE_METATYPE(HangUp)

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void machineHangsUp_data();
    void machineHangsUp();
    void heldPortTypedByNamePollsTwentyTimes();
    void endlessDataEndsWithClose();
    void unwritableClipboardIsPassedOver();
};

void TestFaults::machineHangsUp_data()
{
    QTest::addColumn<HangUp>("when");
    QTest::addColumn<bool>("userMustClose"); // a data phase whose machine is gone waits for the user

    QTest::newRow("during the polls") << HangUp::AtFirstPoll << false;
    QTest::newRow("right after its answer") << HangUp::AfterAnswer << true;
    QTest::newRow("half-way through the data") << HangUp::InData << true;
    QTest::newRow("during the grace time") << HangUp::AfterOurSyn << false;
}

void TestFaults::machineHangsUp()
{
    QFETCH(HangUp, when);
    QFETCH(bool, userMustClose);

    SimulatedMachine::Options options;
    options.answerAtPoll = 1;
    options.pieceIntervalMs = 2;
    options.scenario = when == HangUp::AtFirstPoll ? SimulatedMachine::Scenario::Silent
        : when == HangUp::InData                   ? SimulatedMachine::Scenario::HangUpInData
                                                   : SimulatedMachine::Scenario::Normal;
    PtyMachine machine(options);
    Form1 form(PtyDirectory({{1, machine.SlavePath()}}));
    form.show();

    connect(&machine, &PtyMachine::BytesReceived, &machine, [&](const QByteArray &bytes) {
        if ((when == HangUp::AtFirstPoll) || (when == HangUp::AfterOurSyn && bytes.contains('\x16')))
            machine.HangUpWhenDrained();
    });
    connect(&machine, &PtyMachine::BytesSent, &machine, [&] {
        if (when == HangUp::AfterAnswer)
            machine.HangUpWhenDrained();
    });
    // The user gives up on a reset that can no longer end by itself.
    connect(&machine, &PtyMachine::Finished, &form, [&] {
        if (userMustClose)
            QTimer::singleShot(100, &form, [&form] { form.close(); });
    });

    form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();

    QCOMPARE(form.State().RxBuffer, machine.Machine().Sent()); // nothing lost, nothing twice
    const QStringList list = form.ListEntries();
    if (when == HangUp::AtFirstPoll)
        QCOMPARE(list.mid(list.size() - 3), FailureLines);
    QCOMPARE(form.State().QuitRequested, userMustClose);
    if (!userMustClose)
        QVERIFY(form.close());
    QTRY_VERIFY(!form.isVisible());
}

void TestFaults::heldPortTypedByNamePollsTwentyTimes()
{
    Pty pty;
    const PortDirectory directory = PtyDirectory({{1, pty.SlavePath()}});
    DeviceSerialPort holder(directory);
    QVERIFY(holder.SetPortNumber(1) && holder.Open());

    // The real port, with the window's waits on a simulated clock.
    SimulatedMachine silent(SimulatedMachine::Options{SimulatedMachine::Scenario::Silent});
    SimulatedClock clock;
    DeviceSerialPort port(directory);
    FakeResetHost host(port, silent, clock);
    host.selectorText = QStringLiteral("COM1");
    RunReset(host);

    QCOMPARE(host.list.count(QStringLiteral("*** Sende 05 und Warte")), 20);
    QCOMPARE(host.list.mid(host.list.size() - 3), FailureLines);
    QVERIFY(!port.IsOpen());
    QCOMPARE(pty.Read(1, 0), QByteArray()); // nothing reached the line
}

void TestFaults::endlessDataEndsWithClose()
{
    constexpr qsizetype Stretch = 4 * 1024 * 1024;
    SimulatedMachine::Options options;
    options.scenario = SimulatedMachine::Scenario::NoFinalSyn;
    options.answerAtPoll = 1;
    options.printout = QByteArray("Zeile ohne Ende\r\n").repeated(Stretch / 17);
    options.pieceBytes = 16 * 1024;
    options.pieceIntervalMs = 1;
    PtyMachine machine(options);
    Form1 form(PtyDirectory({{1, machine.SlavePath()}}));
    form.show();

    // Close while the data still streams: the window must still be listening.
    bool closing = false;
    connect(&machine, &PtyMachine::BytesSent, &form, [&] {
        if (!closing && machine.Machine().Sent().size() > Stretch / 2) {
            closing = true;
            QTimer::singleShot(0, &form, [&form] { form.close(); });
        }
    });
    form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();

    QVERIFY(closing);
    QVERIFY(form.State().QuitRequested);
    QVERIFY(form.State().RxBuffer.size() <= machine.Machine().Sent().size());
    QVERIFY(machine.Machine().Sent().startsWith(form.State().RxBuffer));
    QTRY_VERIFY(machine.Received().endsWith('\x16'));
    QTRY_VERIFY(!form.isVisible());
}

void TestFaults::unwritableClipboardIsPassedOver()
{
    CopyPrintout(Printout::CopyKeyCode, {QStringLiteral("AB")}, nullptr); // must simply return
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
