// SPDX-License-Identifier: GPL-3.0-or-later
// kill -9 aimed at our SYN: the simulated machine kills the program the
// moment our SYN reaches it, with the printout sent in one write; then the
// next start keeps what the run left. Counts the runs whose printout was
// kept whole.
//   build/bench/bench_kill_at_syn [runs, default 50]
// ZELVORIN_BENCH_PROGRAM names another build of zelvorin to try instead.

#include "tools/PtyMachine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>

namespace {

QProcessEnvironment Environment(const QString &device, const QString &archive, const QString &runtime)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (int number = 1; number <= 9; ++number)
        environment.insert(QStringLiteral("ZELVORIN_COM%1").arg(number), number == 1 ? device : QString());
    environment.insert(QStringLiteral("ZELVORIN_ARCHIVE"), archive);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return environment;
}

// Whether the run's printout ended up in the archive, every byte of it, once.
bool KilledAtSyn(const QString &program)
{
    SimulatedMachine::Options options;
    options.answerAtPoll = 1;
    options.pieceBytes = 1 << 20; // the whole printout in one write
    PtyMachine machine(options);
    QTemporaryDir archive;
    QTemporaryDir runtime;
    QProcess run;
    run.setProcessEnvironment(Environment(machine.SlavePath(), archive.path(), runtime.path()));
    run.setStandardOutputFile(QProcess::nullDevice());
    run.setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(&machine, &PtyMachine::BytesReceived, &machine, [&run](const QByteArray &bytes) {
        if (bytes.contains('\x16'))
            ::kill(static_cast<pid_t>(run.processId()), SIGKILL);
    });
    run.start(program, {QStringLiteral("--reset"), QStringLiteral("COM1")});
    QElapsedTimer waited;
    waited.start();
    while (run.state() != QProcess::NotRunning && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    run.waitForFinished();

    QProcess next; // any start keeps what a killed one left
    next.setProcessEnvironment(Environment(machine.SlavePath(), archive.path(), runtime.path()));
    next.start(program, {QStringLiteral("--ports")});
    next.waitForFinished();
    const QStringList kept = QDir(archive.path()).entryList({QStringLiteral("*.bin")}, QDir::Files);
    QFile file(archive.filePath(kept.value(0)));
    return kept.size() == 1 && file.open(QIODevice::ReadOnly) && file.readAll() == machine.Machine().Sent()
           && machine.Received().endsWith('\x16');
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const QString program = qEnvironmentVariable("ZELVORIN_BENCH_PROGRAM", QStringLiteral(ZELVORIN_APP_PATH));
    int whole = 0;
    for (int run = 0; run < runs; ++run)
        whole += KilledAtSyn(program);
    std::printf("kill -9 at our SYN, %d runs: the printout kept whole by the next start in %d\n", runs, whole);
    return whole == runs ? 0 : 1;
}
