// SPDX-License-Identifier: GPL-3.0-or-later
// zelvorin: the window by default (a program of its own, started in this
// process's place), or, with options, the port list and a whole reset on the
// command line, which need neither a display nor the widget library.

#include "app/Application.h"
#include "app/ConsoleHost.h"
#include "archive/ArchiveIndex.h"
#include "printout/PrintoutCopy.h"
#include "reset/ResetProtocol.h"
#include "serial/PortDiagnostics.h"
#include "serial/PortScan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The help, with the numbers the program itself goes by.
QString HelpText()
{
    const QString signalStatuses = QStringList{QString::number(128 + SIGHUP), QString::number(128 + SIGINT),
                                               QString::number(128 + SIGQUIT), QString::number(128 + SIGTERM)}
                                           .join(QStringLiteral(", "));
    return QStringLiteral(R"(Aufruf: zelvorin [--no-archive]
       zelvorin --ports
       zelvorin --reset SCHNITTSTELLE [--timeout SEKUNDEN] [--no-archive]
       zelvorin --archive [TEXT]
       zelvorin --show DATEI

Stellt einen Verkaufsautomaten über die serielle Schnittstelle zurück und zeigt
den Ausdruck, den er dabei sendet. Ohne Optionen öffnet sich das Fenster.

Optionen:
  --ports                COM1 bis COM9, wie das Fenster sie nummeriert: Gerät,
                         Beschreibung und ob sich die Schnittstelle öffnen lässt
  --reset SCHNITTSTELLE  eine Rückstellung ohne Fenster; SCHNITTSTELLE ist COM1
                         bis COM9 oder ein Gerätepfad wie /dev/ttyUSB0. Die
                         Statuszeilen gehen auf die Standardfehlerausgabe (auf
                         einem Terminal mit einer Fortschrittszeile), der
                         Ausdruck auf die Standardausgabe.
  --timeout SEKUNDEN     mit --reset: kommen so lange keine Daten mehr, endet
                         die Rückstellung wie abgebrochen (Vorgabe %1, 0 wartet
                         ohne Ende)
  --no-archive           den Ausdruck nicht im Archiv ablegen
  --archive [TEXT]       die Ausdrucke im Archiv, die neuesten zuerst, je eine
                         Zeile: Zeit, Schnittstelle, Ende, Zeilen, Datei (mit
                         Tabulatoren getrennt); mit TEXT nur die, deren Zeilen
                         ihn enthalten (Groß- und Kleinschreibung gleich)
  --show DATEI           den Ausdruck einer .bin-Datei (oder einer .txt-Datei)
                         aus dem Archiv, Zeile für Zeile
  -h, --help             diese Hilfe
  -v, --version          die Version

Rückgabewerte von --reset:
  %2  der Ausdruck ist vollständig angekommen
  %3  der Automat hat auf zwanzig Anfragen nicht geantwortet
  %4  falscher Aufruf oder unbekannte Schnittstelle
  %5  die Schnittstelle lässt sich nicht öffnen
  %6  die Daten wurden nach %7 MiB abgeschnitten
  %8  der Ausdruck ließ sich nicht auf die Standardausgabe schreiben
  %9  die Daten blieben vor ihrem Ende aus (--timeout)
  %10  abgebrochen mit SIGHUP, SIGINT, SIGQUIT oder SIGTERM,
     bevor die Daten vollständig waren
Rückgabewerte von --archive und --show: %2, %4, %8 wie oben, und
  %11  eine Datei ließ sich nicht lesen

Umgebung: ZELVORIN_COM1 bis ZELVORIN_COM9 legen die Geräte fest,
ZELVORIN_ARCHIVE den Archivordner. Mehr in zelvorin(1).
)")
            .arg(ConsoleHost::DefaultTimeoutSeconds)
            .arg(ConsoleHost::Printed)
            .arg(ConsoleHost::NoAnswer)
            .arg(ConsoleHost::BadUsage)
            .arg(ConsoleHost::CannotOpen)
            .arg(ConsoleHost::CutOff)
            .arg(ResetProtocol::RxLimitBytes >> 20)
            .arg(ConsoleHost::OutputFailed)
            .arg(ConsoleHost::TimedOut)
            .arg(signalStatuses)
            .arg(ConsoleHost::Unreadable);
}

int UsageError(const QString &message)
{
    std::fprintf(stderr, "zelvorin: %s\nMehr mit »zelvorin --help«.\n", qPrintable(message));
    return ConsoleHost::BadUsage;
}

// COM1 to COM9 as the window numbers them, whether each opens, and why not.
int ListPorts()
{
    class Offered final : public PortSelector
    {
    public:
        QStringList entries;
        QString Text() const override { return QString(); }
        void SetText(const QString &) override {}
        void AddEntry(const QString &entry, const QString &) override { entries << entry; }
    } offered;
    QMap<int, QString> problems;
    const PortDirectory directory = PortDirectory::FromSystem();
    DeviceSerialPort port(directory);
    ScanPorts(port, directory, offered, [&](int number, const PortDevice &device, const OpenError &error) {
        problems[number] = OpenProblem(device, error);
    });

    for (int number = PortDirectory::FirstNumber; number <= PortDirectory::LastNumber; ++number) {
        const std::optional<PortDevice> device = directory.Device(number);
        QString line = QStringLiteral("COM%1: ").arg(number);
        if (!device) {
            line += QStringLiteral("kein Gerät");
        } else {
            line += device->ShownPath();
            if (!device->description.isEmpty())
                line += QStringLiteral(" (%1)").arg(device->description);
            line += QStringLiteral(": ")
                    + (offered.entries.contains(QStringLiteral("COM%1").arg(number))
                               ? QStringLiteral("lässt sich öffnen")
                               : problems.value(number));
        }
        std::printf("%s\n", line.toUtf8().constData());
    }
    return 0;
}

// `status`, once all that was printed is out; a write that failed on the way counts too, and so
// does a standard output that was closed (and got /dev/null).
int Flushed(int status, bool outputOpen)
{
    std::fflush(stdout);
    return std::ferror(stdout) || !outputOpen ? ConsoleHost::OutputFailed : status;
}

// A file name as it may go to a terminal and stay one field: control characters, C1 ones in
// UTF-8 too, as "?", the way ls shows them.
QByteArray Printable(QByteArray name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<uchar>(name[i]);
        // The last byte's neighbour is the array's closing NUL.
        const bool c1 = byte == 0xc2 && (static_cast<uchar>(name.constData()[i + 1]) & 0xe0) == 0x80;
        if (byte < 0x20 || byte == 0x7f || c1)
            name.replace(i, c1 ? 2 : 1, "?");
    }
    return name;
}

// The kept printouts, newest first, one line each; only those holding `text` when it is given.
int ListArchive(const QString &text, bool outputOpen)
{
    const QByteArray folder = PrintoutArchive::FolderFromEnvironment();
    QList<ArchiveEntry> entries = ArchiveIndex::Scan(folder);
    ArchiveIndex::Read(entries, folder);
    const QByteArray wanted = ArchiveIndex::Fold(text);
    int status = ConsoleHost::Printed;
    for (const ArchiveEntry &entry : std::as_const(entries)) {
        if (!entry.error.isEmpty()) {
            std::fprintf(stderr, "zelvorin: %s: %s\n", Printable(entry.Path()).constData(), qPrintable(entry.error));
            status = ConsoleHost::Unreadable;
            continue;
        }
        if (!entry.Holds(wanted))
            continue;
        const QByteArray line = entry.name.began.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8() + '\t'
                                + Printable(entry.name.port.toUtf8()) + '\t' + entry.EndingText().toUtf8() + '\t'
                                + QByteArray::number(entry.lines) + '\t' + Printable(entry.Path()) + '\n';
        std::fwrite(line.constData(), 1, line.size(), stdout);
    }
    return Flushed(status, outputOpen);
}

// A kept printout's lines, as --reset prints them.
int ShowPrintout(const QByteArray &path, bool outputOpen)
{
    QString why;
    const std::optional<ListEntries> lines = ArchiveIndex::Load(path, &why);
    if (!lines) {
        std::fprintf(stderr, "zelvorin: %s lässt sich nicht lesen: %s\n", path.constData(), qPrintable(why));
        return ConsoleHost::Unreadable;
    }
    const QByteArray text = Printout::JoinLines(*lines, QLatin1StringView("\n")).toUtf8();
    std::fwrite(text.constData(), 1, text.size(), stdout);
    return Flushed(ConsoleHost::Printed, outputOpen);
}

int ResetOnCommandLine(const QByteArray &name, bool noArchive, int timeoutSeconds, bool outputOpen)
{
    const PrintoutArchive archive(noArchive ? QByteArray() : PrintoutArchive::FolderFromEnvironment());
    static const QRegularExpression comPort(QStringLiteral("^COM([1-9])$"), QRegularExpression::CaseInsensitiveOption);
    const QString shown = QFile::decodeName(name);
    if (const QRegularExpressionMatch match = comPort.match(shown); match.hasMatch()) {
        PortDirectory directory = PortDirectory::FromSystem();
        const auto number = static_cast<int16_t>(match.captured(1).toInt());
        const std::optional<PortDevice> device = directory.Device(number);
        PortChoice port{number, shown.toUpper(), device ? device->ShownPath() : QString()};
        return ConsoleHost(std::move(directory), std::move(port), archive, timeoutSeconds, outputOpen).Run();
    }
    if (name.isEmpty() || shown.startsWith(QLatin1StringView("COM"), Qt::CaseInsensitive))
        return UsageError(QStringLiteral("unbekannte Schnittstelle »%1«; erlaubt sind COM1 bis COM9 oder ein "
                                         "Gerätepfad wie /dev/ttyUSB0.")
                                  .arg(shown));
    // A device path, taken byte for byte: it stands in for COM1.
    const QByteArray path = PortDirectory::ResolvePath(name);
    PortDirectory directory;
    const PortDevice device{QFileInfo(QFile::decodeName(path)).fileName(), path, QString()};
    directory.SetDevice(1, device);
    return ConsoleHost(directory, PortChoice{1, shown, device.ShownPath()}, archive, timeoutSeconds, outputOpen).Run();
}

// The value of --reset as the user typed it: arguments() would turn bytes
// that are not UTF-8 into replacement characters.
QByteArray RawOptionValue(int argc, char *argv[], const QByteArray &option)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            break;
        if (argument == option && i + 1 < argc)
            return QByteArray(argv[i + 1]);
        if (argument.startsWith(option + '='))
            return argument.mid(option.size() + 1);
    }
    return QByteArray();
}

// Whether standard output is open. Closed standard streams get /dev/null:
// else their numbers go to the next files opened, and a status line or the
// printout would go into the serial port or the archive.
bool GuardStandardStreams()
{
    const bool outputOpen = ::fcntl(STDOUT_FILENO, F_GETFD) >= 0;
    int null = ::open("/dev/null", O_RDWR);
    while (null >= 0 && null < STDERR_FILENO)
        null = ::open("/dev/null", O_RDWR);
    if (null > STDERR_FILENO)
        ::close(null);
    return outputOpen;
}

// Printouts that a killed run left half-written are kept before anything else happens.
void KeepAbandonedPrintouts()
{
    for (const QString &path : PrintoutArchive(PrintoutArchive::FolderFromEnvironment()).KeepAbandoned())
        std::fprintf(stderr, "zelvorin: Ausdruck einer früheren Rückstellung gesichert: %s\n", qPrintable(path));
}

// The window is a program of its own, so that the command line never loads
// the widget library. It lies beside this one in the build, and under
// libexec once installed.
int StartWindow(char *argv[])
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString &folder : {here, here + QStringLiteral("/" ZELVORIN_WINDOW_FOLDER)}) {
        const QByteArray program = QFile::encodeName(folder + QStringLiteral("/zelvorin-window"));
        if (::access(program.constData(), X_OK) == 0) {
            ::execv(program.constData(), argv);
            break;
        }
    }
    std::fprintf(stderr, "zelvorin: das Fenster (zelvorin-window) lässt sich nicht starten: %s\n",
                 std::strerror(errno));
    return 127;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool outputOpen = GuardStandardStreams();
    QCoreApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption ports(QStringLiteral("ports"), QString());
    const QCommandLineOption reset(QStringLiteral("reset"), QString(), QStringLiteral("port"));
    const QCommandLineOption noArchive(QStringLiteral("no-archive"), QString());
    const QCommandLineOption archive(QStringLiteral("archive"), QString());
    const QCommandLineOption show(QStringLiteral("show"), QString(), QStringLiteral("file"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("seconds"));
    parser.addOptions({help, version, ports, reset, noArchive, timeout, archive, show});
    if (!parser.parse(QCoreApplication::arguments())) {
        if (!parser.unknownOptionNames().isEmpty())
            return UsageError(QStringLiteral("unbekannte Option »%1%2«.")
                                      .arg(parser.unknownOptionNames().first().size() == 1 ? "-" : "--",
                                           parser.unknownOptionNames().first()));
        return UsageError(
                parser.errorText().contains(QLatin1StringView("timeout"))
                        ? QStringLiteral("--timeout braucht eine Zahl von Sekunden, z. B. --timeout 60.")
                : parser.errorText().contains(QLatin1StringView("show"))
                        ? QStringLiteral("--show braucht eine Datei, z. B. --show 2026-12-06_14-32-05_COM1.bin.")
                        : QStringLiteral("--reset braucht eine Schnittstelle, z. B. --reset COM1."));
    }
    // Only --archive takes a text, and only one.
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > (parser.isSet(archive) ? 1 : 0))
        return UsageError(QStringLiteral("unerwartetes Argument »%1«.").arg(positional.last()));

    if (parser.isSet(help)) {
        std::fputs(HelpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", ApplicationName, ApplicationVersion);
        return 0;
    }
    QStringList commands;
    for (const QCommandLineOption &command : {ports, reset, archive, show}) {
        if (parser.isSet(command))
            commands << QStringLiteral("--") + command.names().first();
    }
    if (commands.size() > 1)
        return UsageError(QStringLiteral("%1 gehen nicht zusammen.").arg(commands.join(QStringLiteral(" und "))));
    for (const QCommandLineOption &once : {reset, timeout, show}) {
        if (parser.values(once).size() > 1)
            return UsageError(QStringLiteral("--%1 nur einmal je Aufruf.").arg(once.names().first()));
    }
    int timeoutSeconds = ConsoleHost::DefaultTimeoutSeconds;
    if (parser.isSet(timeout)) {
        // Plain digits only: "+5" or " 5" look like a number to toInt, not to a person reading the call.
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,7}$"));
        const QString value = parser.value(timeout);
        timeoutSeconds = value.toInt();
        if (!digits.match(value).hasMatch() || timeoutSeconds > ConsoleHost::MaxTimeoutSeconds)
            return UsageError(QStringLiteral("»%1« ist keine Zahl von Sekunden; --timeout nimmt 0 bis %2.")
                                      .arg(value)
                                      .arg(ConsoleHost::MaxTimeoutSeconds));
        if (!parser.isSet(reset))
            return UsageError(QStringLiteral("--timeout gilt nur zusammen mit --reset."));
    }

    KeepAbandonedPrintouts();
    if (parser.isSet(archive))
        return ListArchive(positional.value(0), outputOpen);
    if (parser.isSet(show))
        return ShowPrintout(RawOptionValue(argc, argv, "--show"), outputOpen);
    if (parser.isSet(ports))
        return ListPorts();
    if (parser.isSet(reset))
        return ResetOnCommandLine(RawOptionValue(argc, argv, "--reset"), parser.isSet(noArchive), timeoutSeconds,
                                  outputOpen);
    if (parser.isSet(noArchive))
        qputenv(PrintoutArchive::FolderVariable, QByteArray());
    return StartWindow(argv);
}
