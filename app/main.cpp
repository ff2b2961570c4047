// SPDX-License-Identifier: GPL-3.0-or-later
// zelvorin: the window by default (a program of its own, started in this
// process's place), or, with options, the port list and a whole reset on the
// command line, which need neither a display nor the widget library.

#include "app/Application.h"
#include "app/ConsoleHost.h"
#include "serial/PortDiagnostics.h"
#include "serial/PortScan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const char HelpText[] = R"(Aufruf: zelvorin [--no-archive]
       zelvorin --ports
       zelvorin --reset SCHNITTSTELLE [--no-archive]

Stellt einen Verkaufsautomaten über die serielle Schnittstelle zurück und zeigt
den Ausdruck, den er dabei sendet. Ohne Optionen öffnet sich das Fenster.

Optionen:
  --ports                COM1 bis COM9, wie das Fenster sie nummeriert: Gerät,
                         Beschreibung und ob sich die Schnittstelle öffnen lässt
  --reset SCHNITTSTELLE  eine Rückstellung ohne Fenster; SCHNITTSTELLE ist COM1
                         bis COM9 oder ein Gerätepfad wie /dev/ttyUSB0. Die
                         Statuszeilen gehen auf die Standardfehlerausgabe, der
                         Ausdruck auf die Standardausgabe.
  --no-archive           den Ausdruck nicht im Archiv ablegen
  -h, --help             diese Hilfe
  -v, --version          die Version

Rückgabewerte von --reset:
  0  der Ausdruck ist vollständig angekommen
  1  der Automat hat auf zwanzig Anfragen nicht geantwortet
  2  falscher Aufruf oder unbekannte Schnittstelle
  3  die Schnittstelle lässt sich nicht öffnen
  4  die Daten wurden nach 64 MiB abgeschnitten
  130, 143  abgebrochen mit SIGINT oder SIGTERM

Umgebung: ZELVORIN_COM1 bis ZELVORIN_COM9 legen die Geräte fest,
ZELVORIN_ARCHIVE den Archivordner. Mehr in zelvorin(1).
)";

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
                + (offered.entries.contains(QStringLiteral("COM%1").arg(number)) ? QStringLiteral("lässt sich öffnen")
                                                                                  : problems.value(number));
        }
        std::printf("%s\n", line.toUtf8().constData());
    }
    return 0;
}

int ResetOnCommandLine(const QString &name, bool noArchive)
{
    const PrintoutArchive archive(noArchive ? QString() : PrintoutArchive::FolderFromEnvironment());
    static const QRegularExpression comPort(QStringLiteral("^COM([1-9])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = comPort.match(name); match.hasMatch()) {
        const auto number = static_cast<int16_t>(match.captured(1).toInt());
        return ConsoleHost(PortDirectory::FromSystem(), number, name.toUpper(), archive).Run();
    }
    if (name.isEmpty() || name.startsWith(QLatin1StringView("COM"), Qt::CaseInsensitive))
        return UsageError(QStringLiteral("unbekannte Schnittstelle »%1«; erlaubt sind COM1 bis COM9 oder ein "
                                         "Gerätepfad wie /dev/ttyUSB0.")
                              .arg(name));
    // A device path: it stands in for COM1, and names the archive's files.
    const QByteArray path = PortDirectory::ResolvePath(QFile::encodeName(name));
    const QString shown = QFile::decodeName(path);
    PortDirectory directory;
    directory.SetDevice(1, {QFileInfo(shown).fileName(), path, QString()});
    const QString portName = shown.startsWith(QLatin1StringView("/dev/")) ? shown.mid(5) : QFileInfo(shown).fileName();
    return ConsoleHost(directory, 1, portName, archive).Run();
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
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1StringView(ApplicationName));
    QCoreApplication::setApplicationVersion(QLatin1StringView(ApplicationVersion));

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption ports(QStringLiteral("ports"), QString());
    const QCommandLineOption reset(QStringLiteral("reset"), QString(), QStringLiteral("port"));
    const QCommandLineOption noArchive(QStringLiteral("no-archive"), QString());
    parser.addOptions({help, version, ports, reset, noArchive});
    if (!parser.parse(QCoreApplication::arguments())) {
        if (!parser.unknownOptionNames().isEmpty())
            return UsageError(QStringLiteral("unbekannte Option »%1%2«.")
                                  .arg(parser.unknownOptionNames().first().size() == 1 ? "-" : "--", parser.unknownOptionNames().first()));
        return UsageError(QStringLiteral("--reset braucht eine Schnittstelle, z. B. --reset COM1."));
    }
    if (!parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("unerwartetes Argument »%1«.").arg(parser.positionalArguments().first()));

    if (parser.isSet(help)) {
        std::fputs(HelpText, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", ApplicationName, ApplicationVersion);
        return 0;
    }
    if (parser.isSet(ports))
        return ListPorts();
    if (parser.isSet(reset))
        return ResetOnCommandLine(parser.value(reset), parser.isSet(noArchive));
    if (parser.isSet(noArchive))
        qputenv(PrintoutArchive::FolderVariable, QByteArray());
    return StartWindow(argv);
}
