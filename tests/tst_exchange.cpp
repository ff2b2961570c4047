// SPDX-License-Identifier: GPL-3.0-or-later
// Whole resets against the simulated machine on a fake port and a simulated
// clock: what goes on the wire and when, what the list shows, what is kept;
// and the real port on pseudo-terminals, and the numbering of COM1 to COM9.

#include "Harness.h"

#include "archive/ReceivedFile.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"
#include "reset/EventLoop.h"
#include "reset/ResetExchange.h"
#include "serial/DeviceSerialPort.h"
#include "serial/LineSettings.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using Scenario = SimulatedMachine::Scenario;
using Options = SimulatedMachine::Options;

namespace {

const QString Poll = QStringLiteral("*** Sende 05 und Warte");
const QString AwaitingData = QStringLiteral("*** Warte auf Daten");
const QString SynSent = QStringLiteral("*** Sende 22");
const QStringList Answered = {QStringLiteral("*** Sende VDAI-Code"), AwaitingData, QString()};
const QByteArray Enq(1, '\x05');
const QByteArray Syn(1, '\x16');
const QByteArray Command = QByteArray::fromHex("051b53 3733393230343136 4c4553 2020202020 0a");

// Everything a reset puts in the list when it runs to its end.
QStringList ExpectedList(int polls, bool answered, const QByteArray &rx)
{
    QStringList list(polls, Poll);
    list << (answered ? Answered : QStringList()) << SynSent << ToStrings(Printout::RenderPrintout(rx));
    return list << (answered ? QStringList() : QStringList{"*** FEHLER:", "*** Automat Antwortet nicht", ""});
}

struct Bench
{
    explicit Bench(Options options)
        : machine(std::move(options))
    {}
    qint64 clock = 0;
    SimulatedMachine machine;
    FakePort port{machine, clock};
    FakeResetHost host{port, machine, clock};
};

Options Machine(Scenario scenario, int answerAt = 3, int pieceBytes = 32, int pieceMs = 33, QByteArray printout = {})
{
    Options options{scenario, answerAt};
    options.pieceBytes = pieceBytes;
    options.pieceIntervalMs = pieceMs;
    options.printout = printout.isNull() ? options.printout : printout;
    return options;
}

// Some file systems (network shares, among others) cannot rename without replacing.
bool renameCanRefuseToReplace = true;
std::atomic<int> failingWritesOfSome = 0; // writes of "some" that fail, as on a full disk

PortDevice System(const QString &name)
{
    return {name, "/fake/" + name.toLatin1(), QString()}; // listed, never opened
}

} // namespace

// These stand in for the C library's, and fail as the test asks.
extern "C" int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned int flags) noexcept
{
    if (flags != 0 && !renameCanRefuseToReplace)
        return errno = EINVAL, -1;
    return reinterpret_cast<decltype(&renameat2)>(::dlsym(RTLD_NEXT, "renameat2"))(fromFolder, from, toFolder, to,
                                                                                   flags);
}
extern "C" ssize_t write(int descriptor, const void *bytes, size_t size)
{
    if (size == 4 && std::memcmp(bytes, "some", 4) == 0 && failingWritesOfSome.fetch_sub(1) > 0)
        return errno = ENOSPC, -1;
    return reinterpret_cast<decltype(&write)>(::dlsym(RTLD_NEXT, "write"))(descriptor, bytes, size);
}

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    // As for a program started with standard input closed: descriptor 0 is
    // handed out like any other.
    void initTestCase() { ::close(STDIN_FILENO); }

    // The waits of a reset sleep until something happens, and a pass that
    // only looks does not sleep at all.
    void pumpWaitsOnlyWhenAsked()
    {
        bool fired = false;
        QTimer::singleShot(100, [&fired] { fired = true; });
        EventLoop::Pump(PumpMode::ReturnAtOnce);
        const bool early = fired;
        EventLoop::Pump(PumpMode::WaitForActivity);
        QVERIFY(!early && fired);
    }

    void completeReset_data()
    {
        QTest::addColumn<Options>("options");
        QTest::addColumn<int>("polls"); // 20 with no answer: failure lines, and the SYN all the same
        QTest::addColumn<int>("tickMs");
        QTest::newRow("silent machine") << Machine(Scenario::Silent) << 20 << 16;
        auto late = Machine(Scenario::Normal, 3);
        late.answerDelayMs = 5; // the pause is one tick after the answer, not after the poll
        QTest::newRow("answer 5 ms after the third poll") << late << 3 << 16;
        QTest::newRow("ticks of 1 ms: the waits are 500 and 350 ms, not a tick more") << late << 3 << 1;
        QTest::newRow("answer at the twentieth poll still collects the data")
                << Machine(Scenario::Normal, 20) << 20 << 16;
        QTest::newRow("one byte at a time, slowly") << Machine(Scenario::SlowTrickle, 2) << 2 << 16;
        QTest::newRow("SYN inside the data does not end it") // one piece: the SYNs inside are not last
                << Machine(Scenario::Normal, 2, 1 << 20, 5,
                           "AB\x16"
                           "CD\r\n\x16\x16xy\r\n")
                << 2 << 16;
        QTest::newRow("every byte value, NUL included, passes unchanged")
                << Machine(Scenario::Normal, 1, 7, 2, EveryByte()) << 1 << 16;
    }
    void completeReset()
    {
        QFETCH(Options, options);
        QFETCH(int, polls);
        QFETCH(int, tickMs);
        const bool answered = options.scenario != Scenario::Silent;
        Bench bench(options);
        bench.host.tickMs = tickMs;
        QTemporaryDir archive;
        bench.host.archive = PrintoutArchive(archive.path());
        const ResetRecord record = RunReset(bench.host);
        QFile kept(record.archive.binPath); // as received, however it came
        QVERIFY(!answered || (kept.open(QIODevice::ReadOnly) && kept.readAll() == bench.machine.Sent()));

        QCOMPARE(bench.host.state.RxBuffer,
                 answered ? bench.machine.FullTransmission() : QByteArray()); // nothing lost, nothing twice
        QCOMPARE(bench.host.list, ExpectedList(polls, answered, bench.host.state.RxBuffer));
        QCOMPARE(bench.port.wire, Enq.repeated(polls) + (answered ? Command : QByteArray()) + Syn);
        // A poll every 500 ms in whole ticks, the command 6 ms after the
        // answer, and 350 ms of grace after the SYN.
        const auto ticks = [tickMs](int ms) { return (ms + tickMs - 1) / tickMs * tickMs; };
        for (int poll = 0; poll < polls; ++poll)
            QCOMPARE(bench.port.writeTimes[poll], poll * ticks(500));
        QVERIFY(!answered
                || bench.port.writeTimes[polls] == bench.port.writeTimes[polls - 1] + options.answerDelayMs + ticks(6));
        QCOMPARE(bench.clock - bench.port.writeTimes.last(), ticks(350));
        QVERIFY(bench.host.buttonEnabled && bench.host.closeCalls == 0
                && !bench.host.TimerEnabled()); // no ticks while idle
        // The port set up in this order, and left open with DTR dropped until the next reset.
        QVERIFY(bench.port.IsOpen());
        QCOMPARE(bench.port.calls,
                 QStringList({"SetPortNumber(1)", "SetRts(0)", "SetDtr(1)", "SetInputLen(0)", "SetSettings(9600,N,8,1)",
                              "Open", "Discard", "SetDtr(1)", "SetDtr(0)"}));
    }

    void portNumberFromSelector_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("edited to end in a letter") << "COMx" << 0;
        QTest::newRow("empty text") << "" << 0;
        QTest::newRow("only the last character counts") << "COM10" << 0;
        QTest::newRow("COM9") << "COM9" << 9;
    }
    void portNumberFromSelector()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(ResetProtocol::PortNumberOf(text), number);
    }

    void endedEarly_data()
    {
        QTest::addColumn<Options>("options");
        QTest::addColumn<QString>("closeAfterLine"); // empty: in the pause, once the answer is in; null: never
        QTest::addColumn<int>("failAfterReads");
        QTest::addColumn<bool>("complete"); // the data ended with its SYN all the same
        const Options normal = Machine(Scenario::Normal, 1);
        QTest::newRow("closed during the polls") << normal << Poll << INT_MAX << false;
        QTest::newRow("closed during the pause before the command string, which still goes out")
                << normal << "" << INT_MAX << false;
        QTest::newRow("closed during the data phase") << normal << AwaitingData << INT_MAX << false;
        QTest::newRow("closed while the rest of the data waits, SYN last: complete")
                << Machine(Scenario::Normal, 1, 1 << 20, 5) << AwaitingData << INT_MAX << true;
        QTest::newRow("closed during the grace time") << normal << SynSent << INT_MAX << true;
        // The answer is the header; its follow-up read is the one that fails.
        QTest::newRow("device dies while the answer is read: only a close ends the wait")
                << normal << QString() << 2 << false;
        QTest::newRow("machine hangs up half-way through the data: only a close ends the wait")
                << Machine(Scenario::HangUpInData, 1, 16, 10) << QString() << 1000 << false;
    }
    void endedEarly()
    {
        QFETCH(Options, options);
        QFETCH(QString, closeAfterLine);
        QFETCH(int, failAfterReads);
        QFETCH(bool, complete);
        Bench bench(options);
        bench.port.failAfterReads = failAfterReads;
        bench.host.onPump = [&](FakeResetHost &host) {
            if (!closeAfterLine.isNull()
                && (closeAfterLine.isEmpty() ? !host.state.RxBuffer.isEmpty() : host.list.contains(closeAfterLine)))
                host.state.QuitRequested = true;
        };
        const ResetRecord record = RunReset(bench.host);
        QVERIFY(record.HasPrintout() == complete
                && (record.dataEnd == ResetRecord::DataEnd::Syn) == complete); // a printout only from data that ended
        QCOMPARE(bench.host.state.RxBuffer, bench.machine.Sent());             // nothing received twice
        QVERIFY(bench.host.closeCalls == 1 && bench.host.buttonEnabled
                && bench.host.userGaveUp == closeAfterLine.isNull());
        if (closeAfterLine.isNull())
            return;
        const bool commandSent = closeAfterLine != Poll;
        QCOMPARE(bench.port.wire,
                 Enq + (commandSent ? Command : QByteArray()) + Syn); // the SYN whenever the close came
        QCOMPARE(bench.host.list,
                 QStringList{Poll} + (commandSent ? Answered : QStringList()) + QStringList{SynSent}); // no printout
    }

    void archive_data()
    {
        QTest::addColumn<Options>("options");
        QTest::addColumn<QString>("folder"); // below a fresh one that holds a plain file "file"; "off": none
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<ResetRecord::DataEnd>("dataEnd");
        QTest::addColumn<QString>("summary"); // how it begins; "%1" is the first file kept
        using End = ResetRecord::DataEnd;
        QTest::newRow("every byte as received, and the text C copies, without lines like status lines")
                << Machine(Scenario::Normal, 1, 7, 2, EveryByte() + "*** Summe\r\n") << "A"
                << QStringList{".bin", ".txt"} << End::Syn << "Ausdruck erhalten und gespeichert: %1";
        QTest::newRow("closed in the data phase: the bytes so far, marked incomplete")
                << Machine(Scenario::NoFinalSyn, 1, 8, 1) << "A" << QStringList{"_unvollstaendig.bin"} << End::Stopped
                << "Abgebrochen – Ausdruck unvollständig gespeichert: %1";
        QTest::newRow("silent machine: nothing to keep") << Machine(Scenario::Silent) << "A" << QStringList{}
                                                         << End::None << "COM1 (/dev/fake): Automat antwortet nicht";
        QTest::newRow("a folder that cannot be made: the reset goes on, one more line")
                << Machine(Scenario::Normal, 1) << "file/A" << QStringList{} << End::Syn
                << "Ausdruck nicht gespeichert: A: der Ordner lässt sich nicht anlegen";
        QTest::newRow("without an archive") << Machine(Scenario::Normal, 1) << "off" << QStringList{} << End::Syn
                                            << "Ausdruck erhalten, das Archiv ist abgeschaltet";
        const qsizetype bound = (64 << 20) - SimulatedMachine::DefaultHeader().size() - 1; // 64 MiB with the SYN last
        QTest::newRow("exactly the bound, ending with its SYN: complete")
                << Machine(Scenario::Normal, 1, 1 << 24, 0, QByteArray(bound, 'x')) << "A"
                << QStringList{".bin", ".txt"} << End::Syn << "Ausdruck erhalten und gespeichert: %1";
        QTest::newRow("one byte more: cut off, and named so")
                << Machine(Scenario::Normal, 1, 1 << 24, 0, QByteArray(bound + 1, 'x')) << "A"
                << QStringList{"_abgeschnitten.bin", "_abgeschnitten.txt"} << End::CutOff
                << "Ausdruck abgeschnitten und gespeichert: %1";
    }
    void archive()
    {
        QFETCH(Options, options);
        QFETCH(QString, folder);
        QFETCH(QStringList, kept);
        QFETCH(ResetRecord::DataEnd, dataEnd);
        QFETCH(QString, summary);
        QTemporaryDir dir;
        QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
        const QDir archive(dir.filePath(folder));
        Bench bench(options);
        bench.host.archive = PrintoutArchive(folder == "off" ? QString() : archive.path());
        bench.host.onPump = [endless = options.scenario == Scenario::NoFinalSyn](FakeResetHost &host) {
            host.state.QuitRequested |= endless && host.list.contains(AwaitingData) && host.state.RxBuffer.size() > 100;
        };
        const ResetRecord record = RunReset(bench.host);

        QCOMPARE(record.dataEnd, dataEnd);
        const QStringList files = archive.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QCOMPARE(record.Summary(), summary.arg(files.value(1, files.value(0))));
        QCOMPARE(record.received, bench.host.state.RxBuffer);
        QVERIFY(bench.host.list.contains("*** Daten nach 64 MiB abgeschnitten")
                == (dataEnd == ResetRecord::DataEnd::CutOff));
        QCOMPARE(files.size(), kept.size()); // no working file left behind
        for (qsizetype i = 0; i < files.size(); ++i) {
            QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d_COM1"
                                        + QRegularExpression::escape(kept[i]) + "$")
                             .match(files[i])
                             .hasMatch(),
                     qPrintable(files[i]));
            QVERIFY(files[i].startsWith(record.began.toString("yyyy-MM-dd_HH-mm-ss"))
                    && files[i].startsWith(record.fileBase));
            const bool bin = files[i].endsWith(".bin");
            QCOMPARE(archive.filePath(files[i]), bin ? record.archive.binPath : record.archive.textPath);
            QFile file(archive.filePath(files[i]));
            QVERIFY(file.open(QIODevice::ReadOnly)
                    && (file.permissions() & QFile::ReadOther)); // as other documents are
            QCOMPARE(file.readAll(), bin ? record.received : Printout::ClipboardText(record.lines).text.toUtf8());
        }
        if (folder.startsWith("file/"))
            QCOMPARE(bench.host.list,
                     ExpectedList(1, true, record.received)
                             << "*** Ausdruck nicht gespeichert: A: der Ordner lässt sich nicht anlegen");
    }

    // Other Zelvorins write to the same folder: none takes or spoils another's files.
    void namesNeverCollide_data()
    {
        QTest::addColumn<bool>("refuseToReplace");
        QTest::newRow("renames that refuse to replace") << true;
        QTest::newRow("a file system without them: hard links") << false;
    }
    void namesNeverCollide()
    {
        QFETCH(bool, refuseToReplace);
        const auto noneLeftOpen = qScopeGuard(
                [open = QDir("/proc/self/fd").count()] { QCOMPARE(QDir("/proc/self/fd").count(), open); });
        renameCanRefuseToReplace = refuseToReplace;
        const auto restore = qScopeGuard([] { renameCanRefuseToReplace = true; });
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/\xff"; // not UTF-8, and made by the archive
        const auto cleanUp = qScopeGuard([&] { std::filesystem::remove_all(folder.constData()); });
        const PrintoutArchive archive(folder);
        ReceivedFile first(archive, "S");
        ReceivedFile second(archive, "S");
        first.Append("one");
        second.Append("two");
        QCOMPARE(second.KeepBytes("two", ReceivedFile::Ending::Complete).binPath, QFile::decodeName(folder + "/S.bin"));
        QCOMPARE(first.KeepBytes("one", ReceivedFile::Ending::Complete).binPath,
                 QFile::decodeName(folder + "/S_2.bin"));
        {
            ReceivedFile killed(archive, "S"); // a run that ends before its reset does
            killed.Append("half");
        }
        ReceivedFile running(archive, "S");
        running.Append("live");
        for (const char *name :
             {"/.S.text-ABCDEF", "/S.working-ABCDEF"}) // a text half on its way when its run ended; someone else's
            std::ofstream((folder + name).constData()) << "half";
        QCOMPARE(archive.KeepAbandoned(), QStringList{QFile::decodeName(folder + "/S_unvollstaendig.bin")});
        QCOMPARE(archive.KeepAbandoned(), QStringList{}); // taken once, and the running one left alone
        QVERIFY(::access((folder + "/.S.text-ABCDEF").constData(), F_OK) != 0); // the .bin holds it whole
        std::ifstream kept((folder + "/S_unvollstaendig.bin").constData());
        QCOMPARE(std::string(std::istreambuf_iterator<char>(kept), {}), "half");
        QVERIFY(::access((folder + "/S.working-ABCDEF").constData(), F_OK) == 0); // not hidden: not ours

        failingWritesOfSome = 1; // a disk full at first, with room again at the end: all of it, once
        ReceivedFile late(PrintoutArchive(QFile::encodeName(dir.path())), "L");
        late.Append("some");
        QFile whole(late.KeepBytes("all of it", ReceivedFile::Ending::Complete).binPath);
        QVERIFY(whole.open(QIODevice::ReadOnly) && whole.readAll() == "all of it");
        failingWritesOfSome = 1; // and full again for the text: none, not even in part, and why
        ArchiveOutcome outcome;
        late.KeepText("some", outcome);
        QVERIFY2(outcome.textPath.isEmpty() && outcome.failedPath == dir.filePath("L.txt")
                         && outcome.reason == "der Datenträger ist voll",
                 qPrintable(outcome.reason));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"L.bin"});
        failingWritesOfSome
                = 2; // a disk that stays full: the file not made, and only the first try left for the next start
        ReceivedFile full(PrintoutArchive(QFile::encodeName(dir.path())), "F");
        full.Append("some");
        QCOMPARE(full.KeepBytes("some", ReceivedFile::Ending::Complete).failedPath, dir.filePath("F.bin"));
        QCOMPARE(QDir(dir.path()).entryList({".F.working-*"}, QDir::Files | QDir::Hidden).size(), 1);
    }

    void portDirectory_data()
    {
        QTest::addColumn<QList<PortDevice>>("system");
        QTest::addColumn<NamedPorts>("named");
        QTest::addColumn<QByteArrayList>("expected");

        const QByteArray here = QFile::encodeName(QDir::currentPath());
        QTest::newRow("on-board UARTs first, then adapters, in natural order")
                << QList<PortDevice>{System("ttyUSB0"), System("ttyS10"), System("ttyS2"), System("ttyACM0")}
                << NamedPorts{} << QByteArrayList{"/fake/ttyS2", "/fake/ttyS10", "/fake/ttyACM0", "/fake/ttyUSB0"};
        QTest::newRow("a named port takes its slot, an empty name keeps one free, the system's fill the rest")
                << QList<PortDevice>{System("ttyS0"), System("ttyUSB0")} << NamedPorts{{1, ""}, {2, "/tmp/pty"}}
                << QByteArrayList{"", "/tmp/pty", "/fake/ttyS0", "/fake/ttyUSB0"};
        QTest::newRow("names resolved as the port opens them, bytes kept as they are")
                << QList<PortDevice>{} << NamedPorts{{1, "pts/7"}, {2, "./x"}, {3, "../y"}, {9, "/tmp/\xff\xfe"}}
                << QByteArrayList{"/dev/pts/7", here + "/x", here + "/../y", "", "", "", "", "", "/tmp/\xff\xfe"};
        QList<PortDevice> many;
        for (int i = 0; i < 12; ++i)
            many << System(QStringLiteral("ttyUSB%1").arg(i, 2, 10, QChar(u'0')));
        QTest::newRow("more than nine devices: the first nine")
                << many << NamedPorts{}
                << QByteArray("/fake/ttyUSB00 /fake/ttyUSB01 /fake/ttyUSB02 /fake/ttyUSB03 /fake/ttyUSB04 "
                              "/fake/ttyUSB05 /fake/ttyUSB06 /fake/ttyUSB07 /fake/ttyUSB08")
                           .split(' ');
    }

    void portDirectory()
    {
        QFETCH(QList<PortDevice>, system);
        QFETCH(NamedPorts, named);
        QFETCH(QByteArrayList, expected);
        const PortDirectory directory = PtyDirectory(named, system);
        QByteArrayList paths;
        for (int number = PortDirectory::FirstNumber; number <= PortDirectory::LastNumber; ++number)
            paths << (directory.Device(number) ? directory.Device(number)->path : QByteArray());
        while (paths.size() > expected.size() && paths.last().isEmpty())
            paths.removeLast();
        QCOMPARE(paths, expected);
        bool asked = false; // with all nine named, not at all
        PortDirectory::Assign([&asked] { return asked = true, QList<PortDevice>(); },
                              [](const QString &) { return std::optional<QByteArray>(""); });
        QVERIFY(!asked);
        QCOMPARE(QStringList({PortDirectory::SystemDescription("FT232R USB UART", "FTDI"),
                              PortDirectory::SystemDescription("ACM", "ACM"),
                              PortDirectory::SystemDescription("", "Prolific")}),
                 QStringList({"FT232R USB UART, FTDI", "ACM", "Prolific"}));
    }

    void rawBytesBothWaysAndFailuresChangeNothing()
    {
        Pty pty(false); // a new terminal is cooked: CR to LF, echo, line editing

        DeviceSerialPort port(PtyDirectory({{1, pty.SlavePath()}}));
        QByteArray keep = "previous";
        QVERIFY(!port.Read(keep) && keep == "previous" && !port.Write("x") && !port.Close()
                && !port.SetSettings("9600,N,9,1") && !port.SetSettings("0,N,8,1"));
        QVERIFY(port.SetSettings(" 19200, n,8 ,2") && port.SetPortNumber(1) && port.Open());
        QVERIFY(!port.Open() && !port.SetPortNumber(2)); // not while open

        termios now{};
        QCOMPARE(tcgetattr(pty.Slave(), &now), 0);
        // A pseudo-terminal keeps the speed and the stop bits, never parity or 7 bits: those as read.
        QCOMPARE(ParseLineSettings("1,e,7,1.5"),
                 std::optional(
                         LineSettings{1, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::OneAndHalfStop}));
        QVERIFY(cfgetospeed(&now) == B19200
                && (now.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS)) == (CS8 | CSTOPB)); // no handshake
        QVERIFY(!(now.c_lflag & (ICANON | ECHO | ISIG)) && !(now.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF))
                && !(now.c_oflag & OPOST)); // raw

        QVERIFY(port.Write(EveryByte()));
        QByteArray sent;
        QTRY_COMPARE(sent += pty.ReadAll(), EveryByte());
        pty.Write(EveryByte());
        QByteArray received;
        QTRY_COMPARE(received += port.Read(keep) ? keep : QByteArray("failed"), EveryByte());
        QVERIFY(port.Read(keep) && keep.isEmpty()); // nothing waiting reads as ""
        QVERIFY(!port.SetInputLen(1) && port.SetInputLen(0) && port.Close()
                && !port.IsOpen()); // a read takes all there is
    }

    // Bytes from before a reset (an earlier printout's tail, or what came
    // after our last SYN) are dropped when the reset opens the port.
    void staleBytesAreDropped_data()
    {
        QTest::addColumn<bool>("lineDies"); // after the port took the bytes in
        QTest::newRow("waiting on the line when the port opens") << false;
        QTest::newRow("taken in before the line died, the device gone since") << true;
    }
    void staleBytesAreDropped()
    {
        QFETCH(bool, lineDies);
        Pty pty(true); // as the port will set it: the bytes are readable at once
        DeviceSerialPort port(PtyDirectory({{1, pty.SlavePath()}}));
        QVERIFY(port.SetPortNumber(1) && (!lineDies || port.Open()));
        pty.Write("tail\x16");
        pollfd arrived{pty.Slave(), POLLIN, 0};
        QCOMPARE(::poll(&arrived, 1, 5000), 1);
        if (lineDies) {
            int waiting = -1;
            QTRY_VERIFY(::ioctl(pty.Slave(), FIONREAD, &waiting) == 0 && waiting == 0);
            pty.CloseSlave();
            pty.CloseMaster();
            QTRY_VERIFY(!port.IsOpen());
        }
        QVERIFY(lineDies != port.Open() && lineDies != port.Discard());
        QCoreApplication::processEvents(); // where the port would take in what waits
        QByteArray read = "x";
        QVERIFY(port.Read(read) != lineDies && read.size() == (lineDies ? 1 : 0));
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
