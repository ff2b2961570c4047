// SPDX-License-Identifier: GPL-3.0-or-later
// zelvorin-machine: a simulated vending machine on a pseudo-terminal.
// Prints the terminal's device path on its first output line; point the
// program at it with ZELVORIN_COM1=<path>.

#include "PtyMachine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(g_signalPipe[1], &byte, 1);
}

std::optional<SimulatedMachine::Scenario> ParseScenario(const QString &name)
{
    using S = SimulatedMachine::Scenario;
    if (name == u"normal")
        return S::Normal;
    if (name == u"silent")
        return S::Silent;
    if (name == u"no-syn")
        return S::NoFinalSyn;
    if (name == u"hang-up")
        return S::HangUpInData;
    if (name == u"trickle")
        return S::SlowTrickle;
    return std::nullopt;
}

// A printout of about `size` bytes made of the default one, repeated.
QByteArray LargePrintout(qsizetype size)
{
    const QByteArray unit = SimulatedMachine::DefaultPrintout();
    QByteArray out;
    out.reserve(size + unit.size());
    while (out.size() < size)
        out += unit;
    out.truncate(size);
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvorin-machine"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A simulated vending machine on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption scenario(QStringLiteral("scenario"),
                                      QStringLiteral("normal, silent, no-syn, hang-up or trickle."),
                                      QStringLiteral("name"), QStringLiteral("normal"));
    const QCommandLineOption answerAt(QStringLiteral("answer-at"), QStringLiteral("Answer this poll (default 3)."),
                                      QStringLiteral("k"), QStringLiteral("3"));
    const QCommandLineOption pieceBytes(QStringLiteral("piece-bytes"), QStringLiteral("Bytes per piece (default 32)."),
                                        QStringLiteral("n"), QStringLiteral("32"));
    const QCommandLineOption pieceMs(QStringLiteral("piece-ms"),
                                     QStringLiteral("Milliseconds between pieces (default 33, 0 = at once)."),
                                     QStringLiteral("ms"), QStringLiteral("33"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Send a printout of this many bytes instead of the usual one."),
                                  QStringLiteral("bytes"));
    const QCommandLineOption printoutFile(QStringLiteral("printout"),
                                          QStringLiteral("Send the bytes of this file as the printout."),
                                          QStringLiteral("file"));
    const QCommandLineOption logFile(QStringLiteral("log"),
                                     QStringLiteral("Log the exchange to this file instead of standard error."),
                                     QStringLiteral("file"));
    const QCommandLineOption printingOn(
            QStringLiteral("printing-on"),
            QStringLiteral("First send this many bytes of an earlier printout, deaf to polls."),
            QStringLiteral("bytes"));
    const QCommandLineOption once(QStringLiteral("once"), QStringLiteral("Exit when the exchange is over."));
    parser.addOptions({scenario, answerAt, pieceBytes, pieceMs, size, printoutFile, logFile, printingOn, once});
    parser.process(app);

    SimulatedMachine::Options options;
    const auto parsedScenario = ParseScenario(parser.value(scenario));
    if (!parsedScenario) {
        std::fprintf(stderr, "unknown scenario: %s\n", qPrintable(parser.value(scenario)));
        return 2;
    }
    options.scenario = *parsedScenario;
    options.answerAtPoll = parser.value(answerAt).toInt();
    options.pieceBytes = parser.value(pieceBytes).toInt();
    options.pieceIntervalMs = parser.value(pieceMs).toInt();
    if (parser.isSet(size))
        options.printout = LargePrintout(parser.value(size).toLongLong());
    if (parser.isSet(printingOn))
        options.printingOn = LargePrintout(parser.value(printingOn).toLongLong());
    if (parser.isSet(printoutFile)) {
        QFile file(parser.value(printoutFile));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        options.printout = file.readAll();
    }

    QFile log;
    if (parser.isSet(logFile)) {
        log.setFileName(parser.value(logFile));
        if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(log.fileName()));
            return 2;
        }
    } else {
        log.open(stderr, QIODevice::WriteOnly | QIODevice::Text);
    }

    PtyMachine machine(options);
    if (!machine.IsValid()) {
        std::perror("openpty");
        return 1;
    }
    machine.Machine().SetLog([&log](const QString &line) {
        log.write(line.toUtf8() + '\n');
        log.flush();
    });
    if (parser.isSet(once))
        QObject::connect(&machine, &PtyMachine::Finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // End cleanly on SIGTERM and SIGINT, so the log is complete.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) == 0) {
        std::signal(SIGTERM, OnSignal);
        std::signal(SIGINT, OnSignal);
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    }

    std::printf("%s\n", qPrintable(machine.SlavePath()));
    std::fflush(stdout);
    return app.exec();
}
