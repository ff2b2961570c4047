// SPDX-License-Identifier: GPL-3.0-or-later
// The built program as a user or a script runs it, without a display: its
// options, its exit statuses, what it prints, what it keeps, how it takes a
// signal, the timing of a reset on the wire, and what an ordinary user is
// told about a device that does not open.

#include "Harness.h"

#include "archive/FileDescriptor.h"
#include "printout/PrintoutRenderer.h"
#include "reset/ResetProtocol.h"
#include "serial/DeviceSerialPort.h"
#include "tools/PtyMachine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>

namespace {

// Longer than any run takes (a silent machine: ten seconds), short enough to fail fast.
constexpr int ProgramTimeoutMs = 25000;

// The program with COM1 as `com1` and COM2 to COM9 free, its archive in
// `archive`, and no display.
struct Program
{
    QProcess process;
    QByteArray out;
    QByteArray err;

    void Start(const QStringList &arguments, const QByteArray &com1, const QString &archive,
               const QString &program = ZELVORIN_APP_PATH)
    {
        // Set here and inherited, since a process environment of QStrings
        // would spoil a path that is not UTF-8.
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        for (int number = 1; number <= 9; ++number)
            qputenv(PortDirectory::EnvironmentName(number).toLatin1().constData(), number == 1 ? com1 : QByteArray());
        qputenv("ZELVORIN_ARCHIVE", QFile::encodeName(archive));
        DiesWithTest(process);
        process.start(program, arguments);
    }
    // The exit status, or -1 when a signal ended it. Waits in the event
    // loop, so that a machine in this process keeps pace.
    int Wait()
    {
        QEventLoop loop; // not qWaitFor: its naps would slow a machine in this process
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(ProgramTimeoutMs, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            loop.exec();
        if (process.state() != QProcess::NotRunning)
            process.kill();
        process.waitForFinished();
        out = process.readAllStandardOutput();
        err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

QByteArray PrintedLines(const QByteArray &received)
{
    return ToStrings(Printout::RenderPrintout(received)).join('\n').toUtf8() + '\n';
}

struct CommandLine
{
    QStringList arguments;
    int status = 2;
    QByteArray out;          // all of standard output; "%1" is the terminal's path
    QByteArrayList outParts; // or parts of it
    QString err;             // a part of standard error
    QString program = ZELVORIN_APP_PATH;
    QString outputFile; // standard output goes there instead
};

struct Reset
{
    QStringList arguments = {"--reset", "COM1"}; // "%r" is the machine's device, relative to /dev
    SimulatedMachine::Scenario scenario = SimulatedMachine::Scenario::Normal;
    int signal = 0;              // sent once the program has taken the whole printout
    int status = 0;              // -1: ended by the signal
    QStringList kept;            // the archive's file names after date and time; "%1" is the terminal's number
    QString said;                // a part of standard error
    QString environment;         // for the program, as bash reads it
    QString redirection;         // of the program's streams, as bash reads it
    bool nextStartKeeps = false; // what the next start finds left behind
    qsizetype printout = 0;      // bytes of printout instead of the usual one, sent at once
    int pieceMs = 2;             // between the machine's pieces of 32 bytes
    qsizetype earlier = 0;       // bytes of an earlier printout the machine still sends at the start
};

struct PortCase
{
    enum class Device {
        Pty,      // a pseudo-terminal, by its path
        UnderDev, // the same, by its name under /dev
        File,     // a plain file
        LongLink, // a link 4000 bytes long to the pseudo-terminal
    };
    enum class Hold { Nobody, Zelvorin, Exclusively };
    Device device = Device::Pty;
    Hold hold = Hold::Nobody;
    uint mode = 0; // the pseudo-terminal's, owned by root, for an ordinary user to look at; 0: as it is
    QString said;  // in the line for COM1; "%1" is the terminal's number
};

} // namespace

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    // Journals a run leaves (one whose archive cannot be made) go with the test.
    void initTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        QCOMPARE(::fcntl(m_sealed.Get(), F_ADD_SEALS, F_SEAL_WRITE), 0);
        QVERIFY(QFile::copy(ZELVORIN_APP_PATH, m_forAnyone.filePath("zelvorin")));
        QFile::setPermissions(m_forAnyone.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          | QFile::ReadOther | QFile::ExeOther);
    }

    void commandLine_data()
    {
        QTest::addColumn<CommandLine>("row");
        QTest::newRow("--help, with the statuses the program gives") << CommandLine{
                .arguments = {"--help"},
                .status = 0,
                .outParts = {"(Vorgabe 60, 0 wartet",
                             "Rückgabewerte von --reset:\n"
                             "  0  der Ausdruck ist vollständig angekommen\n"
                             "  1  der Automat hat auf zwanzig Anfragen nicht geantwortet\n"
                             "  2  falscher Aufruf oder unbekannte Schnittstelle\n"
                             "  3  die Schnittstelle lässt sich nicht öffnen\n"
                             "  4  die Daten wurden nach 64 MiB abgeschnitten\n"
                             "  6  der Ausdruck ließ sich nicht auf die Standardausgabe schreiben\n"
                             "  7  die Daten blieben vor ihrem Ende aus (--timeout)\n"
                             "  129, 130, 131, 143  ",
                             "Rückgabewerte von --archive und --show: 0, 2, 6 wie oben, und\n"
                             "  8  eine Datei ließ sich nicht lesen\n\nUmgebung: ZELVORIN_COM1 bis "
                             "ZELVORIN_COM9 legen die Geräte fest,\nZELVORIN_ARCHIVE den Archivordner. Mehr "
                             "in zelvorin(1).\n"}};
        QTest::newRow("an unknown option")
                << CommandLine{.arguments = {"--bogus"}, .err = "unbekannte Option »--bogus«"};
        QTest::newRow("an argument no option takes")
                << CommandLine{.arguments = {"--ports", "COM1"}, .err = "unerwartetes Argument »COM1«"};
        QTest::newRow("--archive with two texts")
                << CommandLine{.arguments = {"--archive", "Summe", "Ende"}, .err = "unerwartetes Argument »Ende«"};
        QTest::newRow("two commands at once") << CommandLine{.arguments = {"--archive", "--ports"},
                                                             .err = "--ports und --archive gehen nicht zusammen."};
        QTest::newRow("--reset twice") << CommandLine{.arguments = {"--reset", "COM1", "--reset", "COM2"},
                                                      .err = "--reset nur einmal"};
        for (const char *seconds : {"abc", "-1", "+5", " 5", "5 ", "1000001"})
            QTest::addRow("--timeout \"%s\": not a number of seconds", seconds)
                    << CommandLine{.arguments = {"--reset", "COM1", "--timeout", seconds},
                                   .err = QStringLiteral("»%1« ist keine Zahl von Sekunden").arg(seconds)};
        QTest::newRow("an unknown port name") << CommandLine{.arguments = {"--reset", "COM12"}, .err = "»COM12«"};
        QTest::newRow("a port without a device, named after another option: at once, and where to look")
                << CommandLine{.arguments = {"--timeout", "1000000", "--reset", "com3"},
                               .status = 3,
                               .err = "COM3 ist keinem Gerät zugeordnet; welche Geräte es gibt, zeigt »zelvorin "
                                      "--ports«."};
        QTest::newRow("a device that is missing")
                << CommandLine{.arguments = {"--reset", "ttyZZ9"},
                               .status = 3,
                               .err = "(/dev/ttyZZ9) lässt sich nicht öffnen: das Gerät gibt es nicht."};
        QTest::newRow("the window without a display: why, in German and in Qt's own words")
                << CommandLine{.status = 5,
                               .err = "braucht eine grafische Sitzung (X11 oder Wayland), und hier ist "
                                      "keine erreichbar.\nOhne Fenster geht es so: zelvorin --reset COM1 "
                                      "(mehr mit zelvorin --help).\nQt meldet:\n  qt.qpa.xcb: could not "
                                      "connect to display \n  qt.qpa.plugin: Could not load"};
        QTest::newRow("the window missing from beside the program")
                << CommandLine{.status = 127,
                               .err = "das Fenster (zelvorin-window) lässt sich nicht starten",
                               .program = m_forAnyone.filePath("zelvorin")};
        // The archive holds a complete printout, the rest of an earlier one, a text alone, and a folder.
        QTest::newRow(
                "--archive: every kept printout, newest first, control characters shown as ?, spaces kept, and what "
                "cannot be read")
                << CommandLine{
                           .arguments = {"--archive"},
                           .status = 8,
                           .out = "2026-12-06 14:32:05\tCOM1\tvollständig\t2\t%a/2026-12-06_14-32-05_COM1.bin\n"
                                  "2026-12-06 14:32:05\tCOM1\tNachlauf\t1\t%a/2026-12-06_14-32-05_COM1_nachlauf.bin\n"
                                  "2026-12-05 "
                                  "09:00:00\t?[2Jpts?3 \xc2\xa0\tunvollständig\t1\t%a/2026-12-05_09-00-00_?[2Jpts?3 "
                                  "\xc2\xa0_"
                                  "unvollstaendig.txt\n",
                           .err = "zelvorin: %a/2026-12-04_08-00-00_COM2.bin: ein Ordner, keine Datei\n"};
        QTest::newRow("--archive TEXT: those holding it, whatever the case")
                << CommandLine{.arguments = {"--archive", "SUMME"},
                               .status = 8,
                               .out = "2026-12-06 14:32:05\tCOM1\tvollständig\t2\t%a/2026-12-06_14-32-05_COM1.bin\n"};
        QTest::newRow("--show: a printout's lines, as --reset prints them") << CommandLine{
                .arguments = {"--show", "%a/2026-12-06_14-32-05_COM1.bin"}, .status = 0, .out = "Summe: 5 €\nEnde\n\n"};
        QTest::newRow("--show onto a full disk: its own status") << CommandLine{
                .arguments = {"--show", "%a/2026-12-06_14-32-05_COM1.bin"}, .status = 6, .outputFile = "/dev/full"};
        QTest::newRow("--show onto a closed standard output: its own status") << CommandLine{
                .arguments = {"-c", "exec \"$0\" --show %a/2026-12-06_14-32-05_COM1.bin >&-", ZELVORIN_APP_PATH},
                .status = 6,
                .program = "bash"};
        QTest::newRow("--show: a file that cannot be read, its own status")
                << CommandLine{.arguments = {"--show", "%a/fehlt.bin"},
                               .status = 8,
                               .err = "fehlt.bin lässt sich nicht lesen: die Datei gibt es nicht mehr"};
        QTest::newRow("--show: a device, not read, and why")
                << CommandLine{.arguments = {"--show", "/dev/zero"},
                               .status = 8,
                               .err = "/dev/zero lässt sich nicht lesen: keine gewöhnliche Datei"};
        QTest::newRow("--ports as the window numbers them")
                << CommandLine{.arguments = {"--ports"},
                               .status = 0,
                               .out = "COM1: %1 (festgelegt durch ZELVORIN_COM1): lässt sich öffnen\n"
                                      "COM2: kein Gerät\nCOM3: kein Gerät\nCOM4: kein Gerät\nCOM5: kein Gerät\n"
                                      "COM6: kein Gerät\nCOM7: kein Gerät\nCOM8: kein Gerät\nCOM9: kein Gerät\n"};
    }
    void commandLine()
    {
        QFETCH(CommandLine, row);
        Pty pty(true);
        QTemporaryDir archive;
        for (const auto &[name, bytes] : {std::pair("2026-12-06_14-32-05_COM1.bin", "VDAI!Summe: 5 \x80\nEnde\n\x16"),
                                          std::pair("2026-12-06_14-32-05_COM1_nachlauf.bin", "rest\n"),
                                          std::pair("2026-12-05_09-00-00_\x1b[2Jpts\xc2\x9b"
                                                    "3 \xc2\xa0_unvollstaendig.txt",
                                                    "halb\r\n\r\n")})
            QVERIFY(WriteFile(archive.filePath(name), bytes));
        QVERIFY(QDir(archive.path()).mkdir("2026-12-04_08-00-00_COM2.bin"));
        Program program;
        if (!row.outputFile.isEmpty())
            program.process.setStandardOutputFile(row.outputFile);
        program.Start(row.arguments.replaceInStrings("%a", archive.path()), pty.SlavePath(), archive.path(),
                      row.program);
        QCOMPARE(program.Wait(), row.status);
        if (row.outParts.isEmpty())
            QCOMPARE(program.out,
                     row.out.replace("%1", pty.SlavePath()).replace("%a", QFile::encodeName(archive.path())));
        for (const QByteArray &part : std::as_const(row.outParts))
            QVERIFY2(program.out.contains(part), program.out.constData());
        QVERIFY2(QString::fromUtf8(program.err).contains(row.err.replace("%a", archive.path())),
                 program.err.constData());
    }

    void reset_data()
    {
        using S = SimulatedMachine::Scenario;
        const QStringList complete = {"COM1.bin", "COM1.txt"};
        const QStringList incomplete = {"COM1_unvollstaendig.bin", "COM1_unvollstaendig.txt"};
        QTest::addColumn<Reset>("row");
        QTest::newRow("a printout on a device path under /dev, named so, and the file named whole")
                << Reset{.arguments = {"--reset=%r"},
                         .kept = {"pts_%1.bin", "pts_%1.txt"},
                         .said = "zelvorin: Ausdruck erhalten und gespeichert: %a/"};
        QTest::newRow("a machine still printing an earlier printout: a quiet line first, the rest kept apart")
                << Reset{.kept = {"COM1.bin", "COM1.txt", "COM1_nachlauf.bin"},
                         .said = "zelvorin: Der Automat sendet noch …\n*** Sende 05 und Warte",
                         .earlier = 300};
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) // a dropped terminal too
            QTest::addRow("%s in the data phase", sigabbrev_np(signal))
                    << Reset{.scenario = S::NoFinalSyn, .signal = signal, .status = 128 + signal, .kept = incomplete};
        QTest::newRow("kill -9 in the data phase: the next start keeps what arrived") << Reset{
                .scenario = S::NoFinalSyn, .signal = SIGKILL, .status = -1, .kept = incomplete, .nextStartKeeps = true};
        QTest::newRow(
                "a stalled archive disk: the printout all the same, SIGINT ends the wait, the next start keeps it")
                << Reset{.signal = SIGINT,
                         .kept = complete,
                         .said = "Ausdruck erhalten – das Archiv wird noch geschrieben; der nächste Start vollendet es",
                         // A sanitized build lets the stall come before its runtime.
                         .environment = "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 "
                                        "LD_PRELOAD=" ZELVORIN_STALL_PATH " ZELVORIN_STALL_UNDER=$ZELVORIN_ARCHIVE",
                         .nextStartKeeps = true};
        QTest::newRow("a slow archive disk: waited for, without a signal")
                << Reset{.kept = complete,
                         .said = "zelvorin: Ausdruck erhalten und gespeichert: ",
                         .environment = "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 "
                                        "LD_PRELOAD=" ZELVORIN_STALL_PATH " ZELVORIN_STALL_UNDER=$ZELVORIN_ARCHIVE "
                                        "ZELVORIN_SLOW_SYNC_MS=700"};
        QTest::newRow("an archive that cannot be made: the printout all the same, and why it was not kept")
                << Reset{.said = "zelvorin: Ausdruck nicht gespeichert: /dev/null/A: ",
                         .environment = "ZELVORIN_ARCHIVE=/dev/null/A"};
        QTest::newRow("a reader gone before the first line: no SIGPIPE, the printout kept, its own status")
                << Reset{.status = 6, .kept = complete, .redirection = "> >(true)"};
        QTest::newRow("standard input, output and error closed: its own status, nothing but the exchange on the wire")
                << Reset{.status = 6, .kept = complete, .redirection = "<&- >&- 2>&-"};
        QTest::newRow("standard output on a full disk: its own status, and why")
                << Reset{.status = 6,
                         .kept = complete,
                         .said = "schreiben (der Datenträger ist voll). Er liegt im Archiv: ",
                         .redirection = ">/dev/full"};
        QTest::newRow("standard output that refuses writing: its own status, and why")
                << Reset{.status = 6,
                         .kept = complete,
                         .said = "schreiben (keine Schreibberechtigung). Er liegt im Archiv: ",
                         .redirection = QStringLiteral(">/proc/%1/fd/%2").arg(::getpid()).arg(m_sealed.Get())};
        QTest::newRow("a slow machine that keeps sending: no time limit")
                << Reset{.arguments = {"--reset", "COM1", "--timeout", "1"}, .kept = complete, .pieceMs = 60};
        QTest::newRow("--timeout 0: none at all")
                << Reset{.arguments = {"--reset", "COM1", "--timeout", "0"}, .kept = complete, .pieceMs = 60};
        QTest::newRow("a machine that stops sending: the time limit")
                << Reset{.arguments = {"--reset", "COM1", "--timeout", "1"},
                         .scenario = S::NoFinalSyn,
                         .status = 7,
                         .kept = incomplete,
                         .said = "zelvorin: 1 s lang kamen keine Daten mehr.\n"};
        QTest::newRow("endless data cut off at 64 MiB")
                << Reset{.arguments = {"--reset", "COM1", "--no-archive"},
                         .scenario = S::NoFinalSyn,
                         .status = 4,
                         .said = "*** Sende 22\n*** Daten nach 64 MiB abgeschnitten\n",
                         .printout = 65 << 20};
    }
    void reset()
    {
        QFETCH(Reset, row);
        SimulatedMachine::Options options{row.scenario, 2};
        options.pieceIntervalMs = row.pieceMs;
        options.printingOn = QByteArray(row.earlier, 'e');
        if (row.printout > 0) {
            options.printout = QByteArray(row.printout, 'x');
            options.pieceBytes = 1 << 22;
        }
        PtyMachine line(options);
        QTemporaryDir archive;
        Program program;
        QElapsedTimer clock;
        QList<qint64> heard; // when each write of the program reached the machine
        qint64 lastSent = 0;
        connect(&line, &PtyMachine::BytesReceived, &line, [&] { heard << clock.elapsed(); });
        connect(&line, &PtyMachine::BytesSent, &line, [&] { lastSent = clock.elapsed(); });
        clock.start();
        // exec, so that a signal reaches the program, and it dies with the test whatever it does.
        const QString command = row.environment + " exec \"$@\" "
                                + row.arguments.replaceInStrings("%r", line.SlavePath().mid(5)).join(' ') + ' '
                                + row.redirection;
        program.Start({"-c", command, "bash", ZELVORIN_APP_PATH}, QFile::encodeName(line.SlavePath()), archive.path(),
                      "bash");
        if (row.signal != 0) { // once the program has taken the whole printout
            QVERIFY(QTest::qWaitFor(
                    [&] {
                        return line.Machine().Sent() == line.Machine().FullTransmission()
                               && clock.elapsed() - lastSent > 20 && line.Drained();
                    },
                    ProgramTimeoutMs));
            ::kill(program.process.processId(), row.signal);
        }
        QCOMPARE(program.Wait(), row.status);
        if (row.signal != SIGKILL)
            QCOMPARE(line.Received().count('\x16'), 1); // the SYN, however it ended
        const qint64 endedMs = clock.elapsed();
        Program next;
        next.Start({"--ports"}, QByteArray(), archive.path());
        QCOMPARE(next.Wait(), 0);
        QCOMPARE(next.err.contains("zelvorin: Ausdruck einer früheren Rückstellung gesichert: "), row.nextStartKeeps);

        const QByteArray received = line.Machine().Sent().first(
                std::min(line.Machine().Sent().size(), ResetProtocol::RxLimitBytes));
        const bool printed = row.status == 0 || row.status == 4;
        QCOMPARE(program.out, printed ? PrintedLines(received) : QByteArray());
        const QString said = QString(row.said).replace("%a", archive.path()).replace("%r", line.SlavePath().mid(5));
        QVERIFY2(QString::fromUtf8(program.err).contains(said), program.err.constData());
        QVERIFY(!program.err.contains('\r'));   // no progress line: standard error is no terminal
        if (row.status == 0 || row.status == 6) // nothing else on the wire
            QCOMPARE(line.Received(), "\x05\x05" + SimulatedMachine::ExpectedCommand() + "\x16");
        if (row.status == 0 && row.signal == 0) {
            // On the wire with the real timers: half a second between polls, the
            // grace time after our SYN.
            QCOMPARE_GE(heard[1] - heard[0], 480);
            QCOMPARE_LT(heard[1] - heard[0], 1000);
            QCOMPARE_GE(endedMs - heard.last(), 330);
            QVERIFY(program.err.contains("*** Sende 05 und Warte\n*** Sende 05 und Warte\n*** Sende VDAI-Code\n*** "
                                         "Warte auf Daten\n\n*** Sende 22\n"));
        }
        const QStringList files = Files(archive.path());
        QCOMPARE(files.size(), row.kept.size());
        for (qsizetype i = 0; i < files.size(); ++i) {
            QCOMPARE(files[i].section('_', 2), row.kept[i].replace("%1", line.SlavePath().section('/', -1)));
            const QByteArray expected = files[i].endsWith("_nachlauf.bin") ? line.Machine().SentEarlier()
                                        : files[i].endsWith(".bin")        ? received
                                                                    : PrintedLines(received).replace("\n", "\r\n");
            QCOMPARE(Contents(archive.filePath(files[i])), expected);
        }
    }

    // Stopped (Ctrl+Z) while the printout came, and continued: the time
    // limit counts only time in which data could have come. On a terminal,
    // one progress line is drawn anew in place, and gone before the closing line.
    void stoppedAndContinuedOnTerminal()
    {
        PtyMachine line({.answerAtPoll = 1, .printout = QByteArray(3000, 'x') + "\r\n"});
        Pty terminal(true);
        QTemporaryDir archive;
        Program program;
        program.process.setStandardErrorFile(QString::fromLocal8Bit(terminal.SlavePath()));
        program.Start({"--reset", "COM1", "--timeout", "1"}, QFile::encodeName(line.SlavePath()), archive.path());
        QVERIFY(QTest::qWaitFor([&] { return line.Machine().Sent().size() > 300; }, ProgramTimeoutMs));
        ::kill(program.process.processId(), SIGSTOP);
        const qsizetype atStop = line.Machine().Sent().size();
        // More than the time limit's worth comes meanwhile: 32 bytes every 33 ms.
        QVERIFY(QTest::qWaitFor([&] { return line.Machine().Sent().size() > atStop + 1500; }, ProgramTimeoutMs));
        ::kill(program.process.processId(), SIGCONT);
        QCOMPARE(program.Wait(), 0);
        QCOMPARE(program.out, PrintedLines(line.Machine().FullTransmission()));
        const QByteArray shown = terminal.ReadAll();
        QVERIFY2(QString::fromUtf8(shown).contains(QRegularExpression("\rEmpfange Ausdruck: [1-9]")),
                 shown.constData());
        QVERIFY2(shown.contains("\r\x1b[Kzelvorin: Ausdruck erhalten und gespeichert: "), shown.constData());
    }

    // Started with its standard streams closed, it holds /dev/null under
    // their numbers while it runs: else the port or an archive file opened
    // later would take one, and a status line would go there.
    void closedStreamsHeldByNull()
    {
        PtyMachine line({.answerAtPoll = 1, .printout = QByteArray(600, 'x') + "\r\n"});
        QTemporaryDir archive;
        Program program;
        program.Start({"-c", "exec \"$@\" <&- >&- 2>&-", "bash", ZELVORIN_APP_PATH, "--reset", "COM1"},
                      QFile::encodeName(line.SlavePath()), archive.path(), "bash");
        QVERIFY(QTest::qWaitFor([&] { return line.Machine().Sent().size() > 100; }, ProgramTimeoutMs));
        for (const char *stream : {"0", "1", "2"}) {
            const QString path = QStringLiteral("/proc/%1/fd/").arg(program.process.processId()) + stream;
            QCOMPARE(QFile::symLinkTarget(path), "/dev/null");
        }
        QCOMPARE(program.Wait(), 6); // the printout had nowhere to go
    }

    // Twenty polls take ten seconds: run beside the other resets.
    void noAnswer_data()
    {
        QTest::addColumn<Reset>("row");
        QTest::newRow("a silent machine at a device path: nothing on standard output, and the time limit left to "
                      "the data")
                << Reset{.arguments = {"--reset", "/dev/%r", "--timeout", "1"},
                         .scenario = SimulatedMachine::Scenario::Silent,
                         .status = 1,
                         .said = "*** Sende 22\n*** FEHLER:\n*** Automat Antwortet nicht\n\nzelvorin: /dev/%r: "
                                 "Automat antwortet nicht\n"};
    }
    void noAnswer() { reset(); }

    void portsListedWithTheTruth_data()
    {
        using Device = PortCase::Device;
        QTest::addColumn<PortCase>("row");
        QTest::newRow("a plain file: the system's words")
                << PortCase{.device = Device::File, .said = ": Inappropriate ioctl for device"};
        QTest::newRow("a link 4000 bytes long: opened by the path it leads to")
                << PortCase{.device = Device::LongLink, .said = ": lässt sich öffnen"};
        QTest::newRow("held by another Zelvorin")
                << PortCase{.hold = PortCase::Hold::Zelvorin, .said = ": belegt, ein anderes Programm"};
        QTest::newRow("held in exclusive mode") << PortCase{
                .hold = PortCase::Hold::Exclusively, .mode = 0666, .said = ": belegt, ein anderes Programm"};
        QTest::newRow("not to be opened by the user, named under /dev: the path it opens, and why")
                << PortCase{.device = Device::UnderDev,
                            .mode = 0600,
                            .said = "COM1: /dev/pts/%1 (festgelegt durch ZELVORIN_COM1): keine Berechtigung. Lesen "
                                    "und schreiben dürfen nur der Eigentümer root (Rechte 0600)."};
    }
    void portsListedWithTheTruth()
    {
        QFETCH(PortCase, row);
        using Device = PortCase::Device;
        if (row.mode != 0 && (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty()))
            QSKIP("needs root and setpriv, to hand a device to an ordinary user");
        Pty pty(true);
        QTemporaryDir dir;
        const QByteArray device = pty.SlavePath();
        QByteArray path = row.device == Device::UnderDev ? device.mid(5) : device;
        if (row.device == Device::File || row.device == Device::LongLink) {
            // In folders as deep as it takes.
            const qsizetype length = row.device == Device::LongLink ? 4000 : 0;
            for (path = QFile::encodeName(dir.path()); length - path.size() - 1 > 200;)
                ::mkdir((path += '/' + QByteArray(100, 'd')).constData(), 0700);
            path += '/' + QByteArray(std::max<qsizetype>(1, length - path.size() - 1), 'l');
            if (row.device == Device::LongLink)
                QCOMPARE(::symlink(device.constData(), path.constData()), 0);
            else
                QVERIFY(QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly));
        }
        if (row.mode != 0) {
            QCOMPARE(::chown(device.constData(), 0, 0), 0);
            QCOMPARE(::chmod(device.constData(), row.mode), 0);
        }
        const FileDescriptor holder(::open(device.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (row.hold == PortCase::Hold::Exclusively)
            QCOMPARE(::ioctl(holder.Get(), TIOCEXCL), 0);
        DeviceSerialPort ours(PtyDirectory({{1, device}}));
        if (row.hold == PortCase::Hold::Zelvorin) {
            QVERIFY(ours.SetPortNumber(1));
            QVERIFY(ours.Open());
        }

        Program program;
        if (row.mode == 0)
            program.Start({"--ports"}, path, dir.path());
        else // as an ordinary user, from where one may run it
            program.Start(
                    {"--reuid=65534", "--regid=65534", "--clear-groups", m_forAnyone.filePath("zelvorin"), "--ports"},
                    path, dir.path(), "setpriv");
        QCOMPARE(program.Wait(), 0);
        const QString line = QString::fromUtf8(program.out).section('\n', 0, 0);
        QVERIFY2(line.startsWith("COM1: "), qPrintable(line));
        QVERIFY2(line.contains(row.said.replace("%1", QString::fromLatin1(device).section('/', -1))), qPrintable(line));
    }

private:
    QTemporaryDir m_forAnyone; // the program, where an ordinary user may run it
    QTemporaryDir m_runtime;
    const FileDescriptor m_sealed{::memfd_create("sealed", MFD_ALLOW_SEALING | MFD_CLOEXEC)}; // takes no write
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
