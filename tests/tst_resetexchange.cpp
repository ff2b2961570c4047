#include "FakeResetHost.h"

#include "printout/PrintoutRenderer.h"
#include "reset/ResetExchange.h"

#include <QTest>

using Scenario = SimulatedMachine::Scenario;

namespace {

const QString Poll = QStringLiteral("*** Sende 05 und Warte");
const QString CommandSent = QStringLiteral("*** Sende VDAI-Code");
const QString AwaitingData = QStringLiteral("*** Warte auf Daten");
const QString SynSent = QStringLiteral("*** Sende 22");
const QStringList FailureLines = {QStringLiteral("*** FEHLER:"), QStringLiteral("*** Automat Antwortet nicht"),
                                  QString()};
const QByteArray Enq(1, '\x05');
const QByteArray Syn(1, '\x16');
const QByteArray Command = QByteArray::fromHex("051b533733393230343136 4c4553 2020202020 0a");

QStringList Rendered(const QByteArray &rx)
{
    QStringList lines;
    for (const QByteArrayView line : Printout::RenderLines(rx))
        lines << Printout::DecodeWindows1252(line);
    return lines;
}

// Everything a reset puts in the list when it runs to its end.
QStringList ExpectedList(int polls, bool answered, const QByteArray &rx)
{
    QStringList list;
    for (int i = 0; i < polls; ++i)
        list << Poll;
    if (answered)
        list << CommandSent << AwaitingData << QString();
    list << SynSent << Rendered(rx);
    if (!answered)
        list << FailureLines;
    return list;
}

// One machine, its port, the window around them, and the clock.
struct Bench
{
    explicit Bench(SimulatedMachine::Options options) : machine(std::move(options)) {}
    SimulatedClock clock;
    SimulatedMachine machine;
    FakePort port{machine, clock};
    FakeResetHost host{port, machine, clock};
};

SimulatedMachine::Options Machine(Scenario scenario, int answerAt = 3, int pieceBytes = 32, int pieceMs = 33)
{
    SimulatedMachine::Options options;
    options.scenario = scenario;
    options.answerAtPoll = answerAt;
    options.pieceBytes = pieceBytes;
    options.pieceIntervalMs = pieceMs;
    return options;
}

} // namespace

class TestResetExchange : public QObject
{
    Q_OBJECT

private slots:
    void completeReset_data();
    void completeReset();
    void portNumberFromSelector_data();
    void portNumberFromSelector();
    void portOperationsInOrder();
    void pollsAndGraceTimeFollowTheTicks();
    void commandStringFollowsAnswerAfterOneTick();
    void unusablePortReportsNoAnswer();
    void closeRequest_data();
    void closeRequest();
    void failingPortNeverRepeatsData_data();
    void failingPortNeverRepeatsData();
    void secondResetAppendsBelowFirst();
};

void TestResetExchange::completeReset_data()
{
    QTest::addColumn<SimulatedMachine::Options>("options");
    QTest::addColumn<int>("polls");
    QTest::addColumn<bool>("answered");

    QTest::newRow("silent machine: twenty polls, failure lines, SYN all the same")
        << Machine(Scenario::Silent) << 20 << false;
    QTest::newRow("answer at the first poll") << Machine(Scenario::Normal, 1) << 1 << true;
    QTest::newRow("answer at the third poll") << Machine(Scenario::Normal, 3) << 3 << true;
    QTest::newRow("answer at the twentieth poll still collects the data")
        << Machine(Scenario::Normal, 20) << 20 << true;
    QTest::newRow("data in one-byte pieces") << Machine(Scenario::Normal, 3, 1, 1) << 3 << true;
    QTest::newRow("data all at once") << Machine(Scenario::Normal, 3, 1 << 20, 0) << 3 << true;
    QTest::newRow("slow trickle") << Machine(Scenario::SlowTrickle, 2) << 2 << true;

    auto withInnerSyn = Machine(Scenario::Normal, 2, 1 << 20, 5); // one piece: the SYNs inside are not last
    withInnerSyn.printout = QByteArrayLiteral("AB\x16" "CD\r\n\x16\x16xy\r\n");
    QTest::newRow("SYN inside the data does not end it") << withInnerSyn << 2 << true;

    auto everyByte = Machine(Scenario::Normal, 1, 7, 2);
    for (int value = 0; value < 256; ++value)
        everyByte.printout += char(value);
    everyByte.printout += QByteArray(1, '\0') + "\r\n";
    QTest::newRow("every byte value, NUL included, passes unchanged") << everyByte << 1 << true;
}

void TestResetExchange::completeReset()
{
    QFETCH(SimulatedMachine::Options, options);
    QFETCH(int, polls);
    QFETCH(bool, answered);

    Bench bench(options);
    RunReset(bench.host);

    QVERIFY(!bench.host.userGaveUp);
    QCOMPARE(bench.host.state.RxBuffer, bench.machine.Sent()); // nothing lost, nothing twice
    QCOMPARE(bench.host.state.RxBuffer, answered ? bench.machine.FullTransmission() : QByteArray());
    QCOMPARE(bench.host.list, ExpectedList(polls, answered, bench.host.state.RxBuffer));
    QCOMPARE(bench.port.wire, Enq.repeated(polls) + (answered ? Command : QByteArray()) + Syn);
    QCOMPARE(bench.machine.PollsSeen(), polls);
    if (answered)
        QCOMPARE(bench.machine.CurrentPhase(), SimulatedMachine::Phase::Done);
    QVERIFY(bench.host.buttonEnabled);
    QCOMPARE(bench.host.closeCalls, 0);
}

void TestResetExchange::portNumberFromSelector_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");

    QTest::newRow("COM7") << "COM7" << 7;
    QTest::newRow("edited to end in a letter") << "COMx" << 0;
    QTest::newRow("empty text") << "" << 0;
    QTest::newRow("trailing zero") << "COM10" << 0;
    QTest::newRow("only the last character counts") << "COM12" << 2;
    QTest::newRow("trailing space") << "COM3 " << 0;
}

void TestResetExchange::portNumberFromSelector()
{
    QFETCH(QString, text);
    QFETCH(int, number);

    Bench bench(Machine(Scenario::Silent));
    bench.host.selectorText = text;
    RunReset(bench.host);
    QCOMPARE(bench.port.calls.first(), QStringLiteral("SetPortNumber(%1)").arg(number));
}

void TestResetExchange::portOperationsInOrder()
{
    Bench bench(Machine(Scenario::Normal, 1, 1 << 20, 0));
    RunReset(bench.host);

    const QStringList setUp = {"SetPortNumber(1)", "SetRts(0)", "SetDtr(1)", "SetInputLen(0)",
                               "SetSettings(9600,N,8,1)", "Open", "SetDtr(1)"};
    QCOMPARE(bench.port.calls, setUp + QStringList{"SetDtr(0)"});
    QVERIFY(bench.port.IsOpen()); // stays open, DTR dropped, until the next reset

    bench.port.calls.clear();
    RunReset(bench.host);
    QCOMPARE(bench.port.calls, QStringList{"Close"} + setUp + QStringList{"SetDtr(0)"});
}

void TestResetExchange::pollsAndGraceTimeFollowTheTicks()
{
    Bench bench(Machine(Scenario::Silent));
    RunReset(bench.host);

    // 500 ms is 32 ticks of 16 ms; the grace time 350 ms is 22 ticks.
    QList<qint64> expected;
    for (int poll = 0; poll < 20; ++poll)
        expected << poll * 512;
    expected << 20 * 512; // the SYN
    QCOMPARE(bench.port.writeTimes, expected);
    QCOMPARE(bench.clock.nowMs, 20 * 512 + 352);
}

void TestResetExchange::commandStringFollowsAnswerAfterOneTick()
{
    Bench bench(Machine(Scenario::Normal, 2));
    RunReset(bench.host);

    // Polls at 0 and 512; the answer is read at once, the command one tick later.
    QCOMPARE(bench.port.writeTimes.mid(0, 3), (QList<qint64>{0, 512, 512 + 16}));
    QCOMPARE(bench.host.state.CodeString, Command);
}

void TestResetExchange::unusablePortReportsNoAnswer()
{
    Bench bench(Machine(Scenario::Normal, 1));
    bench.host.selectorText = QStringLiteral("COM5"); // only COM1 opens
    RunReset(bench.host);

    QCOMPARE(bench.host.list, ExpectedList(20, false, QByteArray()));
    QVERIFY(bench.port.wire.isEmpty());
    QCOMPARE(bench.machine.PollsSeen(), 0);
}

void TestResetExchange::closeRequest_data()
{
    QTest::addColumn<QString>("closeAfterLine");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QStringList>("list");

    QTest::newRow("during the polls") << Poll << Enq + Syn << QStringList{Poll, SynSent};
    QTest::newRow("during the pause before the command string, which still goes out")
        << QString() << Enq + Command + Syn << QStringList{Poll, CommandSent, AwaitingData, "", SynSent};
    QTest::newRow("during the data phase") << AwaitingData << Enq + Command + Syn
                                           << QStringList{Poll, CommandSent, AwaitingData, "", SynSent};
    QTest::newRow("during the grace time") << SynSent << Enq + Command + Syn
                                           << QStringList{Poll, CommandSent, AwaitingData, "", SynSent};
}

void TestResetExchange::closeRequest()
{
    QFETCH(QString, closeAfterLine);
    QFETCH(QByteArray, wire);
    QFETCH(QStringList, list);

    Bench bench(Machine(Scenario::Normal, 1));
    // The pause is the one wait after the answer that runs before the status lines.
    const bool inPause = closeAfterLine.isEmpty();
    bench.host.onPump = [&](FakeResetHost &host) {
        const bool due = inPause ? !host.state.RxBuffer.isEmpty() : host.list.contains(closeAfterLine);
        if (due && !host.state.QuitRequested)
            host.RequestClose();
    };
    RunReset(bench.host);

    QCOMPARE(bench.port.wire, wire); // the SYN goes out whenever the close came
    QCOMPARE(bench.host.list, list); // no printout, no failure lines
    QCOMPARE(bench.host.closeCalls, 1);
    QVERIFY(bench.host.buttonEnabled);
}

void TestResetExchange::failingPortNeverRepeatsData_data()
{
    QTest::addColumn<SimulatedMachine::Options>("options");
    QTest::addColumn<int>("failAfterReads");

    // The answer is the header; its follow-up read is the one that fails.
    QTest::newRow("device dies while the answer is read") << Machine(Scenario::Normal, 1) << 2;
    QTest::newRow("machine hangs up half-way through the data")
        << Machine(Scenario::HangUpInData, 1, 16, 10) << -1;
}

void TestResetExchange::failingPortNeverRepeatsData()
{
    QFETCH(SimulatedMachine::Options, options);
    QFETCH(int, failAfterReads);

    Bench bench(options);
    if (failAfterReads >= 0)
        bench.port.failAfterReads = failAfterReads;
    RunReset(bench.host);

    // Only the user's close ends a data phase whose machine is gone.
    QVERIFY(bench.host.userGaveUp);
    QCOMPARE(bench.host.state.RxBuffer, bench.machine.Sent());
    QCOMPARE(bench.host.closeCalls, 1);
}

void TestResetExchange::secondResetAppendsBelowFirst()
{
    Bench bench(Machine(Scenario::Normal, 1, 1 << 20, 0));
    RunReset(bench.host);
    const QStringList first = bench.host.list;

    bench.machine = SimulatedMachine(Machine(Scenario::Silent));
    RunReset(bench.host);

    QCOMPARE(bench.host.list.mid(0, first.size()), first);
    QCOMPARE(bench.host.list.mid(first.size()), ExpectedList(20, false, QByteArray()));
    QVERIFY(bench.host.state.RxBuffer.isEmpty()); // each reset collects only its own data
}

QTEST_GUILESS_MAIN(TestResetExchange)
#include "tst_resetexchange.moc"
