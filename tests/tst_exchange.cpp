// SPDX-License-Identifier: GPL-3.0-or-later
// Whole resets against the simulated machine on a fake port and a simulated
// clock: what goes on the wire and when, what the list shows, what the
// archive keeps; and the real port on pseudo-terminals, and the numbering of
// COM1 to COM9.

#include "Harness.h"

#include "archive/ArchiveIndex.h"
#include "archive/ArchiveNames.h"
#include "archive/PrintoutArchive.h"
#include "archive/Recording.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"
#include "reset/ResetExchange.h"
#include "reset/ResetProgress.h"
#include "serial/DeviceSerialPort.h"
#include "serial/PortDiagnostics.h"

#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using Scenario = SimulatedMachine::Scenario;
using Options = SimulatedMachine::Options;
using Ending = ArchiveNames::Ending;

namespace {

const QString Poll = QStringLiteral("*** Sende 05 und Warte");
const QString AwaitingData = QStringLiteral("*** Warte auf Daten");
const QString SynSent = QStringLiteral("*** Sende 22");
const QStringList Answered = {QStringLiteral("*** Sende VDAI-Code"), AwaitingData, QString()};
const QStringList Failure = {QStringLiteral("*** FEHLER:"), QStringLiteral("*** Automat Antwortet nicht"), QString()};
const QByteArray Enq(1, '\x05');
const QByteArray Syn(1, '\x16');
const QByteArray Command = QByteArray::fromHex("051b53 3733393230343136 4c4553 2020202020 0a");

// Everything a reset puts in the list when it runs to its end.
QStringList ExpectedList(int polls, bool answered, const QByteArray &rx)
{
    QStringList list(polls, Poll);
    list << (answered ? Answered : QStringList()) << SynSent << ToStrings(Printout::RenderPrintout(rx));
    return list << (answered ? QStringList() : Failure);
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

// Some file systems (network shares, among others) cannot rename without
// replacing (EINVAL), some kernels cannot at all (ENOSYS); some have no unnamed files.
int renameRefusal = 0;
bool unnamedFiles = true;
// Writes that begin with this fail, as on a full disk: "some" of the working
// file, or a text whose first line is "FAILTEXT" (not the bytes, which end in a SYN).
constexpr char Failing[] = "some";
constexpr char FailingText[] = "FAILTEXT";
std::atomic<int> failingWritesOfSome = 0;
// A write that begins with this takes two bytes only, as a write may; one
// that begins with the other takes none, and says no why.
constexpr char Piecewise[] = "piecewise";
constexpr char Nothing[] = "nothing";
// Opening this name finds the old file, but its run makes it anew at once.
QByteArray remadeOnOpen;

// What each fsync made lasting, in order: a file's size, or "/" for a folder;
// and "keeping" where a journal was marked as its bytes were being named.
std::mutex syncedMutex;
QByteArrayList synced;

PortDevice System(const QString &name)
{
    return {name, "/fake/" + name.toLatin1(), QString()}; // listed, never opened
}

} // namespace

// These stand in for the C library's, and fail as the test asks.
extern "C" int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned int flags) noexcept
{
    if (flags != 0 && renameRefusal != 0)
        return errno = renameRefusal, -1;
    return reinterpret_cast<decltype(&renameat2)>(::dlsym(RTLD_NEXT, "renameat2"))(fromFolder, from, toFolder, to,
                                                                                   flags);
}
extern "C" int rename(const char *from, const char *to) noexcept
{
    if (QByteArrayView(to).contains(ArchiveNames::KeepingMark)) {
        const std::lock_guard lock(syncedMutex);
        synced << "keeping";
    }
    return reinterpret_cast<decltype(&rename)>(::dlsym(RTLD_NEXT, "rename"))(from, to);
}
extern "C" int open(const char *path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    if ((flags & O_TMPFILE) == O_TMPFILE && !unnamedFiles)
        return errno = EOPNOTSUPP, -1;
    const auto real = reinterpret_cast<int (*)(const char *, int, ...)>(::dlsym(RTLD_NEXT, "open"));
    const int opened = real(path, flags, mode);
    if (!remadeOnOpen.isEmpty() && remadeOnOpen == path) {
        remadeOnOpen.clear();
        ::unlink(path);
        ::close(real(path, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
    }
    return opened;
}
// The fortified open, taken where the flags are not known when compiling.
extern "C" int __open_2(const char *path, int flags)
{
    return open(path, flags);
}
extern "C" ssize_t write(int descriptor, const void *bytes, size_t size)
{
    const QByteArrayView written(static_cast<const char *>(bytes), qsizetype(size));
    if ((written == Failing && failingWritesOfSome.fetch_sub(1) > 0)
        || (written.startsWith(FailingText) && written.endsWith("\r\n")))
        return errno = ENOSPC, -1;
    if (written.startsWith(Piecewise))
        size = 2;
    if (written.startsWith(Nothing))
        return errno = 0, 0;
    return reinterpret_cast<decltype(&write)>(::dlsym(RTLD_NEXT, "write"))(descriptor, bytes, size);
}

extern "C" int fsync(int descriptor)
{
    struct stat file = {};
    ::fstat(descriptor, &file);
    {
        const std::lock_guard lock(syncedMutex);
        synced << (S_ISDIR(file.st_mode) ? QByteArray("/") : QByteArray::number(qint64(file.st_size)));
    }
    return reinterpret_cast<decltype(&fsync)>(::dlsym(RTLD_NEXT, "fsync"))(descriptor);
}

struct Exchange
{
    Options machine;
    int polls; // 20 with no answer: failure lines, and the SYN all the same
    int tickMs = TickIntervalMs;
    bool printout = true; // some line of it more than blanks, to be copied, saved or printed
};

enum class Close { Never, InPolls, InPause, InData };

struct Interruption
{
    Options machine;
    Close close = Close::Never;
    int failAfterReads = INT_MAX;
    bool complete = false; // the data ended with its SYN all the same
};

struct Kept
{
    Options machine;
    bool closeInData = false;
    QString folder = QStringLiteral("A"); // below a fresh one that holds a plain file "file"
    QStringList files;                    // kept, after the stem
    StopCause stop = StopCause::MachineSyn;
    QString summary; // "%1" is the folder, "%2" the stem
};

struct Leftover
{
    std::optional<QByteArray> journal; // a journal its run left, with these bytes
    qsizetype dataFrom = 0;            // how many of them came before the command string went out; -1: all
    bool older = false;                // as an older Zelvorin wrote it, which did not say so
    bool keeping = false;              // and the mark that the bytes were being given their name
    bool memoryFull = false;           // its memory full after these bytes: "some" fails, " more" comes
    std::optional<QByteArray> working; // its working file, with these bytes
    bool running = false;              // the run still goes on
    bool workingHeld = false;          // it ends, but its working file stays locked
    bool named = false;                // on a file system without unnamed files
    bool otherArchive = false;         // the journal names another archive folder
    bool noRuntime = false;            // written without a memory-backed folder, beside the printouts
    bool pipes = false;                // pipes named as a journal and as a working file beside
    bool remade = false;               // its working file made anew under its name as the next start opens it
    QByteArray spelledAs;              // the next start's name for the archive folder, after its own
    QStringList kept;                  // what the next start keeps, after "S"
    QByteArray keptBytes;              // in the kept file, where not all the journal's or the working file's
    bool journalLeft = false;
    bool workingLeft = false;
};

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    // As for a program started with standard input closed: descriptor 0 is
    // handed out like any other. Journals go to a folder of the test's own.
    void initTestCase() { ::close(STDIN_FILENO); }

    // No journal of another test in the way, and a file system with every feature.
    void init()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        QDir(m_runtime.filePath("zelvorin")).removeRecursively();
        renameRefusal = 0;
        unnamedFiles = true;
    }

    void completeReset_data()
    {
        QTest::addColumn<Exchange>("row");
        QTest::newRow("silent machine") << Exchange{.machine = {.scenario = Scenario::Silent}, .polls = 20};
        // The pause is one tick after the answer, not after the poll.
        const Options late{.answerAtPoll = 3, .answerDelayMs = 5};
        QTest::newRow("answer 5 ms after the third poll") << Exchange{.machine = late, .polls = 3};
        QTest::newRow("ticks of 1 ms: the waits are 200, 500 and 350 ms, not a tick more")
                << Exchange{.machine = late, .polls = 3, .tickMs = 1};
        // One piece: the SYNs inside are not last.
        QTest::newRow("SYN inside the data does not end it") << Exchange{.machine = {.answerAtPoll = 2,
                                                                                     .printout = "AB\x16"
                                                                                                 "CD\r\n\x16\x16xy\r\n",
                                                                                     .pieceBytes = 1 << 20,
                                                                                     .pieceIntervalMs = 5},
                                                                         .polls = 2};
        QTest::newRow("blank lines only: answered, with nothing to offer")
                << Exchange{.machine = {.answerAtPoll = 1, .printout = " \r\n"}, .polls = 1, .printout = false};
        QTest::newRow("every byte value, NUL included, passes unchanged") << Exchange{
                .machine = {.answerAtPoll = 1, .printout = EveryByte(), .pieceBytes = 7, .pieceIntervalMs = 2},
                .polls = 1};
    }
    void completeReset()
    {
        QFETCH(Exchange, row);
        const bool answered = row.machine.scenario != Scenario::Silent;
        Bench bench(row.machine);
        bench.host.tickMs = row.tickMs;
        const ResetRecord record = RunReset(bench.host, m_nobody);

        QCOMPARE(record.received, answered ? bench.machine.FullTransmission() : QByteArray()); // nothing lost or twice
        QCOMPARE(bench.host.list, ExpectedList(row.polls, answered, record.received));
        QCOMPARE(record.HasPrintout(), answered && row.printout);
        QCOMPARE(bench.port.wire, Enq.repeated(row.polls) + (answered ? Command : QByteArray()) + Syn);
        // A quiet line first, a poll every 500 ms in whole ticks, the command
        // 6 ms after the answer, and 350 ms of grace after the SYN.
        const auto ticks = [&row](int ms) { return (ms + row.tickMs - 1) / row.tickMs * row.tickMs; };
        for (int poll = 0; poll < row.polls; ++poll)
            QCOMPARE(bench.port.writeTimes[poll], ticks(200) + poll * ticks(500));
        if (answered)
            QCOMPARE(bench.port.writeTimes[row.polls],
                     bench.port.writeTimes[row.polls - 1] + row.machine.answerDelayMs + ticks(6));
        QCOMPARE(bench.clock - bench.port.writeTimes.last(), ticks(350));
        QCOMPARE(bench.host.closeCalls, 0);
        QVERIFY(!bench.host.TimerEnabled()); // no ticks while idle
        // The port set up in this order, and left open with DTR dropped until the next reset.
        QVERIFY(bench.port.IsOpen());
        QCOMPARE(bench.port.calls, QStringList({"SetPortNumber(1)", "SetRts(0)", "SetDtr(1)", "SetInputLen(0)",
                                                "SetSettings(9600,N,8,1)", "Open", "SetDtr(1)", "SetDtr(0)"}));
    }

    void portNumberFromSelector_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
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
        QTest::addColumn<Interruption>("row");
        const Options first{.answerAtPoll = 1};
        QTest::newRow("closed during the polls") << Interruption{.machine = first, .close = Close::InPolls};
        QTest::newRow("closed during the pause before the command string, which still goes out")
                << Interruption{.machine = first, .close = Close::InPause};
        QTest::newRow("closed while the rest of the data waits, SYN last: complete")
                << Interruption{.machine = {.answerAtPoll = 1, .pieceBytes = 1 << 20, .pieceIntervalMs = 5},
                                .close = Close::InData,
                                .complete = true};
        QTest::newRow("closed while the rest of the data waits, no SYN last: incomplete") << Interruption{
                .machine
                = {.scenario = Scenario::NoFinalSyn, .answerAtPoll = 1, .pieceBytes = 1 << 20, .pieceIntervalMs = 5},
                .close = Close::InData};
        QTest::newRow("machine hangs up half-way through the data: only a close ends the wait") << Interruption{
                .machine
                = {.scenario = Scenario::HangUpInData, .answerAtPoll = 1, .pieceBytes = 16, .pieceIntervalMs = 10},
                .failAfterReads = 1000};
    }
    void endedEarly()
    {
        QFETCH(Interruption, row);
        Bench bench(row.machine);
        bench.port.failAfterReads = row.failAfterReads;
        bench.host.onPump = [&row](FakeResetHost &host) {
            if (row.close == Close::Never)
                return;
            const QString after[] = {QString(), Poll, QString(), AwaitingData};
            host.state.QuitRequested |= row.close == Close::InPause ? !host.state.RxBuffer.isEmpty()
                                                                    : host.list.contains(after[int(row.close)]);
        };
        const ResetRecord record = RunReset(bench.host, m_nobody);
        QCOMPARE(record.Complete(), row.complete);
        QCOMPARE(record.stop.cause, row.complete ? StopCause::MachineSyn : StopCause::Close);
        QCOMPARE(record.received, bench.machine.Sent()); // nothing received twice
        QCOMPARE(bench.host.closeCalls, 1);
        QVERIFY(bench.host.buttonEnabled);
        QCOMPARE(bench.host.userGaveUp, row.close == Close::Never);
        if (row.close == Close::Never)
            return;
        const bool commandSent = row.close != Close::InPolls;
        QCOMPARE(bench.port.wire,
                 Enq + (commandSent ? Command : QByteArray()) + Syn); // the SYN whenever the close came
        QCOMPARE(bench.host.list,
                 QStringList{Poll} + (commandSent ? Answered : QStringList()) + QStringList{SynSent}); // no printout
    }

    // What came after a reset ended, on the port it left open, is the rest
    // of that printout: the next reset keeps it.
    void restOnPortLeftOpenKept()
    {
        Bench bench({.printingOn = QByteArray(1 << 20, 'e')}); // never quiet: no poll
        const qsizetype first = RunReset(bench.host, m_nobody).tail.size();
        bench.clock += 1000;
        const qsizetype next = RunReset(bench.host, m_nobody).tail.size();
        QCOMPARE(first + next, bench.machine.SentEarlier().size());
    }

    void progressLine_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one byte") << QByteArray("x") << "1 Byte, 0 Zeilen";
        QTest::newRow("a line ends at LF, also the first byte, CR LF, or a CR alone")
                << QByteArray("\na\nb\r\nc\rd\r") << "10 Bytes, 5 Zeilen";
        QTest::newRow("999 bytes") << QByteArray(999, 'x') << "999 Bytes, 0 Zeilen";
        QTest::newRow("from 1000 bytes on in kB") << QByteArray(999, 'x') + "\n"
                                                  << "1,0 kB, 1 Zeile";
    }
    void progressLine()
    {
        QFETCH(QByteArray, received);
        QFETCH(QString, shown);
        ResetProgress progress;
        progress.PhaseChanged(ResetRecord{}, ResetListener::Phase::Data, 0);
        for (const char c : std::as_const(received)) // byte by byte: a CR's LF may come in the next piece
            progress.BytesReceived(QByteArrayView(&c, 1), 1'000'000'000);
        QCOMPARE(progress.Text(3'500'000'000), "Empfange Ausdruck: " + shown + " – letzte Daten vor 2 s");
    }

    // From our SYN on, the progress says the reset is ending, not what came.
    void progressEndsWithOurSyn()
    {
        Bench bench({});
        ResetProgress progress;
        QStringList shown;
        bench.host.onPump = [&](FakeResetHost &) {
            if (bench.port.wire.endsWith(Syn))
                shown << progress.Text(0);
        };
        const ResetRecord record = RunReset(bench.host, progress);
        QCOMPARE(shown.value(0), record.port.name + ": Rückstellung wird beendet");
    }

    void archiveKeeps_data()
    {
        QTest::addColumn<Kept>("row");
        // A line of stars is the machine's: kept in the text as in the list.
        QTest::newRow("every byte as received, and the text, lines of stars included")
                << Kept{.machine = {.answerAtPoll = 1,
                                    .printout = EveryByte() + "***********\r\n",
                                    .pieceBytes = 7,
                                    .pieceIntervalMs = 2},
                        .files = {".bin", ".txt"},
                        .summary = "Ausdruck erhalten und gespeichert: %1/%2.txt"};
        QTest::newRow("closed in the data phase: the bytes so far and their text, marked incomplete") << Kept{
                .machine = {.scenario = Scenario::NoFinalSyn, .answerAtPoll = 1, .pieceBytes = 8, .pieceIntervalMs = 1},
                .closeInData = true,
                .files = {"_unvollstaendig.bin", "_unvollstaendig.txt"},
                .stop = StopCause::Close,
                .summary = "Abgebrochen – Ausdruck unvollständig gespeichert: %1/%2_unvollstaendig.txt"};
        QTest::newRow("a text that cannot be written: the bytes kept, and said so") << Kept{
                .machine = {.answerAtPoll = 1, .printout = QByteArray(FailingText) + "\r\n", .pieceBytes = 1 << 20},
                .files = {".bin"},
                .summary = "Ausdruck erhalten und gespeichert: %1/%2.bin; die Textdatei nicht: %1/%2.txt: der "
                           "Datenträger ist voll"};
        // A machine still sending the rest of an earlier printout is not answering.
        QTest::newRow("a machine still sending an earlier printout: its rest kept apart, then the reset as usual")
                << Kept{.machine = {.answerAtPoll = 1, .printingOn = QByteArray(300, 'e')},
                        .files = {".bin", ".txt", "_nachlauf.bin"},
                        .summary = "Ausdruck erhalten und gespeichert: %1/%2.txt; Nachlauf einer früheren "
                                   "Rückstellung gespeichert: %1/%2_nachlauf.bin"};
        QTest::newRow("a machine that never goes quiet: no poll, its rest kept, and why")
                << Kept{.machine = {.answerAtPoll = 1, .printingOn = QByteArray(1 << 20, 'e')},
                        .files = {"_nachlauf.bin"},
                        .stop = StopCause::LineBusy,
                        .summary = "COM1 (/dev/fake): Automat antwortet nicht, er sendet noch; Nachlauf einer "
                                   "früheren Rückstellung gespeichert: %1/%2_nachlauf.bin"};
        QTest::newRow("a folder that cannot be made: the reset goes on, and says why")
                << Kept{.machine = {.answerAtPoll = 1},
                        .folder = "file/A",
                        .summary = "Ausdruck nicht gespeichert: %1: der Ordner lässt sich nicht anlegen"};
        const qsizetype bound = ResetProtocol::RxLimitBytes - SimulatedMachine::DefaultHeader().size() - 1;
        QTest::newRow("exactly the bound, ending with its SYN: complete") << Kept{
                .machine
                = {.answerAtPoll = 1, .printout = QByteArray(bound, 'x'), .pieceBytes = 1 << 24, .pieceIntervalMs = 0},
                .files = {".bin", ".txt"},
                .summary = "Ausdruck erhalten und gespeichert: %1/%2.txt"};
        QTest::newRow("one byte more: cut off, and named so")
                << Kept{.machine = {.answerAtPoll = 1,
                                    .printout = QByteArray(bound + 1, 'x'),
                                    .pieceBytes = 1 << 24,
                                    .pieceIntervalMs = 0},
                        .files = {"_abgeschnitten.bin", "_abgeschnitten.txt"},
                        .stop = StopCause::Bound,
                        .summary = "Ausdruck abgeschnitten und gespeichert: %1/%2_abgeschnitten.txt"};
    }
    void archiveKeeps()
    {
        QFETCH(Kept, row);
        QTemporaryDir dir;
        QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
        const QString folder = dir.filePath(row.folder);
        Bench bench(row.machine);
        bench.host.onPump = [&row](FakeResetHost &host) {
            host.state.QuitRequested |= row.closeInData && host.list.contains(AwaitingData)
                                        && host.state.RxBuffer.size() > 100;
        };
        // Every byte the machine sent is in the kernel's hands before our SYN
        // goes out, and soon on the disk too, where a restart that empties the
        // journals' folder finds it.
        QByteArray journaled;
        QByteArray onDisk;
        bench.port.beforeWrite = [&](const QByteArray &bytes) {
            if (bytes != Syn)
                return;
            for (const QString &journal : Files(m_runtime.filePath("zelvorin")))
                journaled += Contents(m_runtime.filePath("zelvorin/" + journal));
            QVERIFY(QTest::qWaitFor(
                    [&] {
                        const QStringList working = Files(folder).filter(ArchiveNames::WorkingMark);
                        onDisk = working.isEmpty() ? QByteArray() : Contents(folder + '/' + working.first());
                        return row.files.isEmpty() || onDisk.size() == bench.host.state.RxBuffer.size();
                    },
                    10000));
        };
        ArchiveKeeper keeper(QFile::encodeName(folder));
        synced.clear();
        ResetRecord record = RunReset(bench.host, keeper);
        record.archive = AwaitKept(keeper);

        QVERIFY(journaled.contains(record.received));
        if (!row.files.isEmpty() && !record.received.isEmpty())
            QCOMPARE(onDisk, record.received);
        const QString stem = QString::fromLatin1(ArchiveNames::Stem(record.began, "COM1"));
        QCOMPARE(record.stop.cause, row.stop);
        QCOMPARE(record.Summary(), QString(row.summary).replace("%1", folder).replace("%2", stem));
        QCOMPARE(bench.host.list.contains("*** Daten nach 64 MiB abgeschnitten"), row.stop == StopCause::Bound);
        QCOMPARE(bench.port.wire.right(1), Syn); // however it ended
        QCOMPARE(bench.host.list.mid(bench.host.list.size() - Failure.size()) == Failure,
                 row.stop == StopCause::LineBusy);
        if (row.stop == StopCause::LineBusy) // given up when the polls would have ended, not a tick later
            QCOMPARE(bench.port.writeTimes.first(), ResetProtocol::QuietWaitLimitMs);
        const QStringList files = Files(folder);
        QStringList expected;
        for (const QString &file : std::as_const(row.files))
            expected << stem + file;
        QCOMPARE(files, expected);
        const QByteArray earlier = bench.machine.SentEarlier();
        QCOMPARE(Contents(record.archive.tailPath), earlier.isEmpty() ? "(missing)" : earlier);
        if (files.isEmpty() || record.received.isEmpty())
            return;
        QCOMPARE(Contents(record.archive.binPath), record.received);
        const QByteArray text = Printout::JoinLines(record.printout).toUtf8();
        if (files.size() > 1)
            QCOMPARE(Contents(record.archive.textPath), text);
        if (row.files == QStringList{".bin", ".txt"}) // the bytes, then their names on the disk
            QCOMPARE(synced, (QByteArrayList{QByteArray::number(record.received.size()), "keeping", "/",
                                             QByteArray::number(text.size()), "/"}));
        QCOMPARE(Files(m_runtime.filePath("zelvorin")), QStringList()); // the journal gone with its work done
    }

    // Other Zelvorins write to the same folder: none takes or spoils another's files.
    void namesNeverCollide_data()
    {
        QTest::addColumn<int>("renameRefusal");
        QTest::addColumn<bool>("unnamed");
        QTest::newRow("renames that refuse to replace, unnamed files") << 0 << true;
        QTest::newRow("a file system without either: hard links, files named at once") << EINVAL << false;
        QTest::newRow("a kernel without such renames: hard links") << ENOSYS << true;
    }
    void namesNeverCollide()
    {
        QFETCH(int, renameRefusal);
        QFETCH(bool, unnamed);
        ::renameRefusal = renameRefusal;
        unnamedFiles = unnamed;
        const mode_t umask = ::umask(077); // a technician who keeps their files private
        const auto restore = qScopeGuard([umask] { ::umask(umask); });
        QTemporaryDir dir;
        // Not UTF-8, and made by the archive with the folder above it.
        const QByteArray folder = QFile::encodeName(dir.path()) + "/Ausdrucke/\xff";
        const auto cleanUp = qScopeGuard([&] { std::filesystem::remove_all(folder.constData()); });
        Recording first{.folder = folder, .stem = "S", .token = ArchiveNames::NewToken()};
        Recording second{.folder = folder, .stem = "S", .token = ArchiveNames::NewToken()};
        first.StartWorking();
        second.StartWorking();
        synced.clear();
        QCOMPARE(second.Keep("two", Ending::Complete, "2").binPath, folder + "/S.bin");
        QCOMPARE(synced, (QByteArrayList{"3", "/", "1", "/"})); // each file whole before it has its name
        QCOMPARE(first.Keep("one", Ending::Complete, "1").binPath, folder + "/S_2.bin");
        QCOMPARE(Contents(folder + "/S_2.txt"), "1");
        ResetRecord record;
        record.archive.binPath = QFile::decodeName(folder + "/S_2.bin");
        QCOMPARE(ArchiveNames::BaseOf(record), "S_2"); // what a saved copy is offered as
        struct stat file
        {};
        QCOMPARE(::stat((folder + "/S_2.bin").constData(), &file), 0);
        QCOMPARE(file.st_mode & 0777, 0600u); // as the umask has it
        QCOMPARE(::stat(folder.constData(), &file), 0);
        QCOMPARE(file.st_mode & 0777, 0700u);
        // No folder made but those the path names.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Ausdrucke"});
    }

    // What a run ended during a reset left behind, kept by the next start:
    // every byte once, under the name of how it ended.
    void leftoversKept_data()
    {
        QTest::addColumn<Leftover>("row");
        const QStringList incomplete = {"S_unvollstaendig.bin", "S_unvollstaendig.txt"};
        QTest::newRow("a journal, and a working file that fell behind: one file, whole")
                << Leftover{.journal = "half and the rest", .working = "half", .kept = incomplete};
        QTest::newRow("the bytes ended with the machine's SYN: complete")
                << Leftover{.journal = "all\x16", .kept = {"S.bin", "S.txt"}};
        QTest::newRow("a poll's answer ended with SYN, and no data came: incomplete")
                << Leftover{.journal = "ok\x16", .dataFrom = 3, .kept = incomplete};
        QTest::newRow("ended before the command string went out, the answer with SYN: incomplete")
                << Leftover{.journal = "ok\x16", .dataFrom = -1, .kept = incomplete};
        QTest::newRow("a journal an older Zelvorin left, ending with SYN: complete, as it would have named it")
                << Leftover{.journal = "ok\x16", .dataFrom = -1, .older = true, .kept = {"S.bin", "S.txt"}};
        QTest::newRow("a journal whose memory ran full, a working file that went on: the working file's, no gap")
                << Leftover{.journal = "half ",
                            .memoryFull = true,
                            .working = "half so",
                            .kept = incomplete,
                            .keptBytes = "half so"};
        QTest::newRow("the archive folder spelled with a slash and a dot more: its journal, once")
                << Leftover{.journal = "half and the rest", .working = "half", .spelledAs = "//./", .kept = incomplete};
        QTest::newRow("a journal whose bytes had been given their name when its run ended: gone, not kept twice")
                << Leftover{.journal = "all", .keeping = true};
        QTest::newRow("a journal being kept when its run ended: kept")
                << Leftover{.journal = "all", .keeping = true, .working = "all", .kept = incomplete};
        QTest::newRow("a journal being kept, its working file still held: left for a later start")
                << Leftover{.journal = "all",
                            .keeping = true,
                            .working = "al",
                            .workingHeld = true,
                            .journalLeft = true,
                            .workingLeft = true};
        QTest::newRow("a working file without its journal, complete: kept as complete")
                << Leftover{.working = "all\x16", .kept = {"S.bin", "S.txt"}};
        QTest::newRow("a working file with nothing in it: removed") << Leftover{.working = ""};
        QTest::newRow("a reset still running: left alone") << Leftover{
                .journal = "half", .working = "half", .running = true, .journalLeft = true, .workingLeft = true};
        QTest::newRow("one still running without its journal, on a file system without unnamed files: left alone")
                << Leftover{.working = "half", .running = true, .named = true, .workingLeft = true};
        QTest::newRow("an empty working file made anew by its run as a start opens it: the new one left alone")
                << Leftover{.working = "", .remade = true, .workingLeft = true};
        QTest::newRow("pipes named as a journal and as a working file: left alone, without waiting")
                << Leftover{.pipes = true};
        QTest::newRow("a journal beside the printouts, from a run without a memory-backed folder: kept")
                << Leftover{.journal = "half", .noRuntime = true, .kept = incomplete};
        QTest::newRow("another archive's journal: left alone")
                << Leftover{.journal = "half", .otherArchive = true, .journalLeft = true};
    }
    void leftoversKept()
    {
        QFETCH(Leftover, row);
        unnamedFiles = !row.named;
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath(".directory"), "a file manager's")); // none of ours
        const QByteArray folder = QFile::encodeName(dir.path());
        Recording run{.folder = folder, .stem = "S", .token = ArchiveNames::NewToken()};
        if (row.journal) {
            const QByteArray named = row.otherArchive ? folder + "/elsewhere" : folder;
            if (row.noRuntime)
                qunsetenv("XDG_RUNTIME_DIR");
            QCOMPARE(run.journal.Open(named, "S", run.token, Journal::Kind::Printout), 0);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
            if (row.dataFrom >= 0) {
                QCOMPARE(run.journal.Append(row.journal->first(row.dataFrom)), 0);
                run.journal.MarkData();
            }
            QCOMPARE(run.journal.Append(row.journal->sliced(std::max<qsizetype>(row.dataFrom, 0))), 0);
            if (row.older) {
                QByteArray bytes = Contents(run.journal.Path()).replace("printout" + QByteArray(21, ' '), "printout");
                QVERIFY(WriteFile(QFile::decodeName(run.journal.Path()), bytes));
            }
            if (row.memoryFull) {
                failingWritesOfSome = 1;
                QCOMPARE(run.journal.Append(Failing), ENOSPC);
                QCOMPARE(run.journal.Append(" more"), ENOSPC);
            }
            if (row.keeping)
                run.journal.MarkKeeping();
        }
        if (row.working) {
            run.StartWorking();
            run.AppendToWorking(*row.working);
        }
        for (const char *mark : {ArchiveNames::JournalMark, ArchiveNames::WorkingMark}) {
            if (row.pipes)
                QCOMPARE(::mkfifo((folder + '/' + ArchiveNames::Hidden("P", mark, run.token)).constData(), 0600), 0);
        }
        if (!row.running) { // it ends here, and its locks with it
            run.journal = Journal();
            if (!row.workingHeld)
                run.working.Reset();
        }
        if (row.remade)
            remadeOnOpen = run.WorkingPath();

        QStringList kept;
        for (const QString &name : std::as_const(row.kept))
            kept << dir.filePath(name);
        QCOMPARE(PrintoutArchive(folder + row.spelledAs).KeepAbandoned(), kept.filter(".bin"));
        if (!kept.isEmpty())
            QCOMPARE(Contents(kept[0]), row.keptBytes.isNull() ? row.journal.value_or(*row.working) : row.keptBytes);
        const QStringList files = Files(dir.path());
        QCOMPARE(files.filter(QRegularExpression("^S")), row.kept);
        QCOMPARE(Contents(dir.filePath(".directory")), "a file manager's");
        QCOMPARE(files.filter(ArchiveNames::WorkingMark).size(), row.workingLeft ? 1 : 0);
        QCOMPARE(Files(m_runtime.filePath("zelvorin")).size(), row.journalLeft ? 1 : 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::System | QDir::Hidden).size(), row.pipes ? 2 : 0);
    }

    // A disk full at first, with room again at the end: all of it, once. Full
    // again for the text: none, not even in part, and why. And an archive
    // folder deleted meanwhile is made again.
    void fullDiskAndDeletedFolder_data()
    {
        QTest::addColumn<bool>("unnamed");
        QTest::newRow("unnamed files") << true;
        QTest::newRow("a file system without unnamed files: no hidden file left either") << false;
    }
    void fullDiskAndDeletedFolder()
    {
        QFETCH(bool, unnamed);
        unnamedFiles = unnamed;
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.filePath("A"));
        Recording run{.folder = folder, .stem = "L", .token = ArchiveNames::NewToken()};
        run.StartWorking();
        failingWritesOfSome = 1;
        run.AppendToWorking("some");
        run.AppendToWorking(" more");
        failingWritesOfSome = 1;
        const Recording::Kept kept = run.Keep("some more", Ending::Complete, "some");
        const FileDescriptor bin(::open(kept.binPath.constData(), O_RDONLY | O_CLOEXEC));
        errno = EINTR; // as an interrupted call before may leave it
        QCOMPARE(ArchiveFiles::ReadAll(bin.Get()), "some more");
        // No byte taken and no reason given: failed all the same.
        const FileDescriptor sink(::open("/dev/null", O_WRONLY | O_CLOEXEC));
        QCOMPARE(ArchiveFiles::WriteAll(sink.Get(), Nothing), EIO);
        QCOMPARE(kept.failedPath, folder + "/L.txt");
        QCOMPARE(ArchiveFiles::GermanReason(kept.error), "der Datenträger ist voll");
        QCOMPARE(Files(QFile::decodeName(folder)), QStringList{"L.bin"});

        Recording full{.folder = folder, .stem = "F", .token = ArchiveNames::NewToken()};
        full.StartWorking();
        failingWritesOfSome = 2;
        full.AppendToWorking("some");
        QCOMPARE(full.Keep("some", Ending::Complete, "some").failedPath, folder + "/F.bin");

        Recording again{.folder = folder, .stem = "D", .token = ArchiveNames::NewToken()};
        again.StartWorking();
        again.AppendToWorking(Piecewise);
        QVERIFY(QDir(QFile::decodeName(folder)).removeRecursively());
        QCOMPARE(again.Keep(Piecewise, Ending::Complete, QByteArray()).binPath, folder + "/D.bin");
        QCOMPARE(Contents(folder + "/D.bin"), Piecewise);
    }

    // Bytes alone that fill the bound, SYN last, may have had more behind them.
    void boundFilledNeverNamedWhole()
    {
        const QByteArray bytes = QByteArray(ResetProtocol::RxLimitBytes - 1, 'x') + Syn;
        QCOMPARE(ArchiveNames::EndingOfBytes(bytes, 0), Ending::CutOff);
    }

    void namesHoldOnlyWhatEveryFileSystemCarries_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("part");
        QTest::newRow("COM1") << "COM1"
                              << "COM1";
        QTest::newRow("every letter, digit, dash, underscore and dot as it is") << "/tmp/azAZ09-_."
                                                                                << "azAZ09-_.";
        QTest::newRow("a device under /dev by its path there") << "/dev/pts/3"
                                                               << "pts_3";
        QTest::newRow("a link elsewhere by its name, with a newline and a command in it") << "/tmp/a\nb$(rm x)"
                                                                                          << "a_b__rm_x_";
        QTest::newRow("a name that is not UTF-8, and one outside the basic plane")
                << QFile::decodeName("/tmp/\xff-\xf0\x9f\x98\x80") << "_-_";
    }
    void namesHoldOnlyWhatEveryFileSystemCarries()
    {
        QFETCH(QString, port);
        QFETCH(QString, part);
        const QDateTime began(QDate(2026, 12, 6), QTime(14, 32, 5));
        const QByteArray stem = ArchiveNames::Stem(began, port);
        QCOMPARE(stem, "2026-12-06_14-32-05_" + part.toLatin1());
        // Read back by the one place that makes them.
        const ArchiveNames::Parsed parsed = ArchiveNames::Parse(QString::fromLatin1(stem + "_2_nachlauf.bin"));
        QVERIFY(parsed.valid);
        QCOMPARE(parsed.began, began);
        QCOMPARE(parsed.port, port == "COM1" ? port : part + "_2");
        QCOMPARE(parsed.ending, Ending::Tail);
        // A name without the leading dot is the user's, however much it looks like one of ours.
        QCOMPARE(ArchiveNames::ParseHidden(stem + ArchiveNames::WorkingMark + ArchiveNames::NewToken()).mark, "");
    }

    // What the archive holds, as the window's view and the command line find it.
    void archiveIndexFindsPrintouts()
    {
        QTemporaryDir dir;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache"))); // where the index goes, made anew
        const QString folder = dir.filePath("A");
        QDir().mkpath(folder);
        const auto write = [&folder](const QString &name, const QByteArray &bytes) {
            QVERIFY(WriteFile(folder + '/' + name, bytes));
        };
        const QByteArray printout = SimulatedMachine::DefaultHeader() + SimulatedMachine::DefaultPrintout() + Syn;
        write("2026-12-06_14-32-05_COM1.bin", printout);
        write("2026-12-06_14-32-05_COM1.txt", "kept beside\r\n");
        write("2026-12-06_14-32-05_COM1_nachlauf.bin", "rest\n");
        write("2026-12-06_14-32-05_COM1_2_unvollstaendig.bin", "VDAI!  M\xfcnze\r\nhalb"); // Windows-1252
        write("2026-12-06_14-32-05_COM1_2_nachlauf.bin", "before\n");            // beside its own reset's printout
        write("2026-12-05_09-00-00_pts_3.txt", "\r\n\x1b[31mAl\x07one\r\n\r\n"); // control characters dropped
        QVERIFY(QDir(folder).mkdir("2026-12-04_08-00-00_COM2.bin"));             // cannot be read as a file
        write("2026-12-03_08-00-00__nachlauf.bin", "rest\n");                    // no port: none of ours
        write("2026-12-03_08-00-00-COM1.bin", "rest\n");                         // no _ after the time: none of ours
        write("2026-12-02_08-00-00_COM1.pdf", "%PDF");                           // a copy saved as PDF
        write("2026-12-01_08-00-00_COM3.bin", "");                               // nothing came: no line

        const auto listed = [&folder] {
            QList<ArchiveEntry> entries = ArchiveIndex::Scan(QFile::encodeName(folder));
            ArchiveIndex::Read(entries, QFile::encodeName(folder));
            QStringList lines;
            for (const ArchiveEntry &entry : std::as_const(entries))
                lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                                 .arg(entry.name.began.toString("dd HH:mm"), entry.name.port, entry.EndingText())
                                 .arg(entry.lines)
                                 .arg(entry.firstLine, entry.error);
            return lines;
        };
        const QStringList expected = {"06 14:32 COM1 unvollständig 3 Münze ",
                                      "06 14:32 COM1 Nachlauf 1 before ",
                                      "06 14:32 COM1 vollständig 29 == AUDIT-AUSDRUCK == ",
                                      "06 14:32 COM1 Nachlauf 1 rest ",
                                      "05 09:00 pts_3 vollständig 2 [31mAlone ",
                                      "04 08:00 COM2 vollständig 0  ein Ordner, keine Datei",
                                      "01 08:00 COM3 vollständig 0  "};
        QCOMPARE(listed(), expected);

        // A file the index knows by its size and time is not read again,
        // also after another was read anew.
        const auto rewrite = [&](const QString &name, const QByteArray &bytes, long nanoseconds) {
            const QByteArray path = QFile::encodeName(folder + '/' + name);
            struct stat was = {};
            QCOMPARE(::stat(path.constData(), &was), 0);
            write(name, bytes);
            timespec times[2] = {was.st_atim, was.st_mtim};
            times[1].tv_nsec ^= nanoseconds;
            QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
        };
        rewrite("2026-12-05_09-00-00_pts_3.txt", "\r\nAlso, much!\r\n\r\n", 0);
        QCOMPARE(listed(), expected); // what could not be read, said again
        rewrite("2026-12-05_09-00-00_pts_3.txt", "\r\nAlso, much!\r\n\r\n", 1);
        rewrite("2026-12-06_14-32-05_COM1_nachlauf.bin", "REST\n", 0);
        const QStringList again = listed();
        QCOMPARE(again.value(3), "06 14:32 COM1 Nachlauf 1 rest ");
        QCOMPARE(again.value(4), "05 09:00 pts_3 vollständig 2 Also, much! ");
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
        QTest::newRow("a name of digits alone by its number") << QList<PortDevice>{System("10"), System("9")}
                                                              << NamedPorts{} << QByteArrayList{"/fake/9", "/fake/10"};
        QTest::newRow("a named port takes its slot, an empty name keeps one free, the system's fill the rest")
                << QList<PortDevice>{System("ttyS0"), System("ttyUSB0")} << NamedPorts{{1, ""}, {2, "/tmp/pty"}}
                << QByteArrayList{"", "/tmp/pty", "/fake/ttyS0", "/fake/ttyUSB0"};
        QTest::newRow("names resolved as the port opens them, up to COM9")
                << QList<PortDevice>{} << NamedPorts{{1, "pts/7"}, {2, "./x"}, {3, "../y"}, {9, "/z"}}
                << QByteArrayList{"/dev/pts/7", here + "/x", here + "/../y", "", "", "", "", "", "/z"};
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
    }

    // A device given its number takes that slot, COM9 too.
    void deviceSetByNumber()
    {
        PortDirectory directory;
        directory.SetDevice(9, System("nine"));
        QCOMPARE(directory.Device(9).value_or(PortDevice()).path, "/fake/nine");
    }

    // A device whose path is not UTF-8 is refused before it is opened, and said why.
    void deviceNotUtf8Refused()
    {
        DeviceSerialPort port(PtyDirectory({{1, "/tmp/\xff"}}));
        QVERIFY(port.SetPortNumber(1));
        QVERIFY(!port.Open());
        QCOMPARE(port.LastOpenError().text, "der Pfad des Geräts ist zu lang oder kein UTF-8: /tmp/\uFFFD");
    }

    // How the port list describes an adapter the system knows.
    void systemDescription_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("manufacturer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("adapter and maker") << "USB-Serial Controller"
                                           << "Prolific"
                                           << "USB-Serial Controller, Prolific";
        QTest::newRow("a maker that says the same, once") << "FTDI"
                                                          << "FTDI"
                                                          << "FTDI";
        QTest::newRow("no maker") << "16550A"
                                  << ""
                                  << "16550A";
    }
    void systemDescription()
    {
        QFETCH(QString, description);
        QFETCH(QString, manufacturer);
        QFETCH(QString, shown);
        QCOMPARE(PortDirectory::SystemDescription(description, manufacturer), shown);
    }

    // What to do when the user may not open a device.
    void permissionAdvice_data()
    {
        QTest::addColumn<DeviceAccess>("access");
        QTest::addColumn<QString>("said");
        QTest::newRow("only its owner may: who, and a udev rule")
                << DeviceAccess{"root", "root", 0600}
                << "keine Berechtigung. Lesen und schreiben dürfen nur der Eigentümer root (Rechte 0600). Eine "
                   "udev-Regel kann das Gerät einer Gruppe wie dialout geben; ein Beispiel steht in der README.";
        QTest::newRow("its group may, run it too: join it")
                << DeviceAccess{"root", "dialout", 0770}
                << "keine Berechtigung. Lesen und schreiben dürfen die Mitglieder der Gruppe dialout; beitreten mit "
                   "»sudo usermod -aG dialout $USER«, danach ab- und wieder anmelden.";
        QTest::newRow("never advise joining sudo")
                << DeviceAccess{"root", "sudo", 0660}
                << "keine Berechtigung. Lesen und schreiben dürfen nur der Eigentümer root und die Gruppe sudo "
                   "(Rechte 0660). Eine udev-Regel kann das Gerät einer Gruppe wie dialout geben; ein Beispiel steht "
                   "in der README.";
    }
    void permissionAdvice()
    {
        QFETCH(DeviceAccess, access);
        QFETCH(QString, said);
        QCOMPARE(PermissionAdvice(access), said);
    }

    void rawBytesBothWaysAndFailuresChangeNothing()
    {
        Pty pty(false); // a new terminal is cooked: CR to LF, echo, line editing
        termios now{};
        { // opened before any settings, to be held or listed: at the machine's speed all the same
            DeviceSerialPort held(PtyDirectory({{1, pty.SlavePath()}}));
            QVERIFY(held.SetPortNumber(1));
            QVERIFY(held.Open());
            QCOMPARE(tcgetattr(pty.Slave(), &now), 0);
            QCOMPARE(cfgetospeed(&now), speed_t(B9600));
        }

        DeviceSerialPort port(PtyDirectory({{1, pty.SlavePath()}}));
        QByteArray keep;
        QVERIFY(!port.Write("x")); // not before it is open
        QVERIFY(!port.SetSettings("9600,N,9,1"));
        QVERIFY(ParseLineSettings(" 2400,e,7,1.5")
                == (LineSettings{2400, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::OneAndHalfStop}));
        QVERIFY(port.SetSettings(" 19200, n,8 ,2"));
        QVERIFY(port.SetDtr(true)); // taken on at the open
        QVERIFY(port.SetPortNumber(1));
        QVERIFY(port.Open());
        QVERIFY(!port.Open()); // not while open
        QVERIFY(!port.SetPortNumber(2));

        QCOMPARE(tcgetattr(pty.Slave(), &now), 0);
        QCOMPARE(cfgetospeed(&now), speed_t(B19200));
        QCOMPARE(now.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8 | CSTOPB)); // no handshake

        QVERIFY(port.Write(EveryByte()));
        QByteArray sent;
        QTRY_COMPARE(sent += pty.ReadAll(), EveryByte());
        pty.Write(EveryByte());
        QByteArray received;
        QTRY_COMPARE(received += port.Read(keep) ? keep : QByteArray("failed"), EveryByte());
        QVERIFY(port.Read(keep));
        QCOMPARE(keep, QByteArray()); // nothing waiting reads as ""
        QVERIFY(!port.InputWaiting());
        pty.Write("x"); // seen in the driver already, before any event reads it
        QElapsedTimer waited;
        waited.start();
        while (!port.InputWaiting() && waited.elapsed() < 5000) {
        }
        QVERIFY(port.InputWaiting());
        QVERIFY(!port.SetInputLen(1)); // a read takes all there is
        QVERIFY(port.SetInputLen(0));
        QVERIFY(port.Close());
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.Read(keep)); // no old bytes again
        // An adapter pulled: the port lets go of it rather than wake the processor
        // for ever, and what it had taken in is read all the same.
        QVERIFY(port.Open());
        pty.Write("last");
        const FileDescriptor line(::open(pty.SlavePath().constData(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
        const auto inDriver = [&line] {
            int count = 0;
            return ::ioctl(line.Get(), FIONREAD, &count) == 0 ? count : -1;
        };
        QTRY_VERIFY(port.InputWaiting() && inDriver() == 0); // taken in by the port
        pty.CloseMaster();
        QTRY_VERIFY(!port.IsOpen());
        QVERIFY(port.Read(keep));
        QCOMPARE(keep, "xlast"); // the "x" left unread at the close before, too
        QVERIFY(!port.Read(keep));
    }

private:
    QTemporaryDir m_runtime; // the session's memory-backed folder, for the journals
    ResetListener m_nobody;
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
