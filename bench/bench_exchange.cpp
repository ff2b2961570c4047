// SPDX-License-Identifier: GPL-3.0-or-later
// The reset on pseudo-terminals with the real event loop and timers:
// processor time of a silent reset, reaction times, throughput, start-up
// time and memory of the real program.
//   build/bench/bench_exchange [exchanges, default 50]

#include "tests/XSession.h"

#include "app/Form1.h"
#include "reset/ResetExchange.h"
#include "tools/PtyMachine.h"

#include <QApplication>
#include <QMutex>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QWaitCondition>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <sys/utsname.h>

namespace {

constexpr qsizetype MiB = 1024 * 1024;

qint64 NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

PortDirectory OnlyCom1(const QString &path)
{
    PortDirectory directory;
    directory.SetDevice(1, {QStringLiteral("pty"), QFile::encodeName(path), QString()});
    return directory;
}

// The window as the literal loop uses it: every wait spins instead of sleeping.
class SpinningHost final : public ResetHost
{
public:
    explicit SpinningHost(Form1 &form)
        : m_form(form)
    {}
    MainWindowState &State() override { return m_form.State(); }
    SerialPort &Port() override { return m_form.Port(); }
    PortChoice ChoosePort() const override { return m_form.ChoosePort(); }
    void SetButtonEnabled(bool enabled) override { m_form.SetButtonEnabled(enabled); }
    void SetTimerEnabled(bool enabled) override { m_form.SetTimerEnabled(enabled); }
    void CloseWindow() override {}
    void AppendStatusLine(const QString &line) override { m_form.AppendStatusLine(line); }
    void AppendBlankLine() override { m_form.AppendBlankLine(); }
    void AppendPrintout(const ListEntries &lines) override { m_form.AppendPrintout(lines); }
    void PumpEvents(PumpMode) override { m_form.PumpEvents(PumpMode::ReturnAtOnce); }

private:
    Form1 &m_form;
};

// A simulated machine on a thread of its own, so that its timing is not the
// program's: it notes when it answered, sent its SYN, and heard ours.
class MachineThread final : public QThread
{
public:
    struct Timing
    {
        qint64 answerSentNs = -1;
        qint64 commandReceivedNs = -1;
        qint64 synSentNs = -1;
        qint64 synReceivedNs = -1;
    };

    explicit MachineThread(SimulatedMachine::Options options)
        : m_options(std::move(options))
    {}

    QString WaitForPath()
    {
        QMutexLocker lock(&m_mutex);
        while (m_path.isEmpty())
            m_ready.wait(&m_mutex);
        return m_path;
    }
    Timing Result() const { return m_timing; }
    QByteArray Expected() const { return m_expected; }

protected:
    void run() override
    {
        PtyMachine machine(m_options);
        using Phase = SimulatedMachine::Phase;
        QObject::connect(&machine, &PtyMachine::BytesSent, [&](const QByteArray &bytes) {
            if (m_timing.answerSentNs < 0)
                m_timing.answerSentNs = NowNs();
            if (machine.Machine().CurrentPhase() == Phase::AwaitingSyn && bytes.endsWith('\x16'))
                m_timing.synSentNs = NowNs();
        });
        QObject::connect(&machine, &PtyMachine::BytesReceived, [&](const QByteArray &bytes) {
            if (m_timing.answerSentNs >= 0 && m_timing.commandReceivedNs < 0)
                m_timing.commandReceivedNs = NowNs();
            if (m_timing.synSentNs >= 0 && m_timing.synReceivedNs < 0 && bytes.contains('\x16'))
                m_timing.synReceivedNs = NowNs();
        });
        {
            QMutexLocker lock(&m_mutex);
            m_expected = machine.Machine().FullTransmission();
            m_path = machine.SlavePath();
            m_ready.wakeAll();
        }
        exec();
    }

private:
    SimulatedMachine::Options m_options;
    QMutex m_mutex;
    QWaitCondition m_ready;
    QString m_path;
    QByteArray m_expected;
    Timing m_timing;
};

struct Exchange
{
    MachineThread::Timing timing;
    bool intact = false;
    double resetSeconds = 0;
};

Exchange RunExchange(const SimulatedMachine::Options &options)
{
    MachineThread machine(options);
    machine.start();
    QTemporaryDir archive; // on, as people use it: every byte goes to disk as it comes
    Form1 form(OnlyCom1(machine.WaitForPath()), PrintoutArchive(archive.path()));
    const qint64 start = NowNs();
    form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    Exchange exchange;
    exchange.resetSeconds = (NowNs() - start) / 1e9;
    machine.quit();
    machine.wait();
    exchange.timing = machine.Result();
    exchange.intact = form.State().RxBuffer == machine.Expected();
    return exchange;
}

double Percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, static_cast<qsizetype>(p * values.size())));
}

void SilentReset()
{
    SimulatedMachine::Options silent;
    silent.scenario = SimulatedMachine::Scenario::Silent;
    for (const bool spinning : {false, true}) {
        PtyMachine machine(silent);
        Form1 form(OnlyCom1(machine.SlavePath()));
        const double cpuBefore = CpuSeconds();
        const qint64 start = NowNs();
        if (spinning) {
            SpinningHost host(form);
            RunReset(host, form.Listeners());
        } else {
            RunReset(form, form.Listeners());
        }
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = (NowNs() - start) / 1e9;
        std::printf("silent reset, %-17s %6.2f s wall, %7.3f s processor (%5.1f%% of a core)\n",
                    spinning ? "spinning waits:" : "sleeping waits:", wall, cpu, 100 * cpu / wall);
    }
}

void Reactions(int count)
{
    SimulatedMachine::Options options;
    options.answerAtPoll = 1;
    options.pieceIntervalMs = 0;
    QList<double> synMs;
    QList<double> commandMs;
    int intact = 0;
    for (int i = 0; i < count; ++i) {
        const Exchange exchange = RunExchange(options);
        synMs << (exchange.timing.synReceivedNs - exchange.timing.synSentNs) / 1e6;
        commandMs << (exchange.timing.commandReceivedNs - exchange.timing.answerSentNs) / 1e6;
        intact += exchange.intact;
    }
    std::printf("machine's SYN to our SYN, %d exchanges:        median %6.3f ms, 99th percentile %6.3f ms\n", count,
                Percentile(synMs, 0.5), Percentile(synMs, 0.99));
    std::printf("machine's answer to our command string:      median %6.3f ms, 99th percentile %6.3f ms\n",
                Percentile(commandMs, 0.5), Percentile(commandMs, 0.99));
    std::printf("exchanges with every byte received exactly once: %d of %d\n", intact, count);
}

void Throughput()
{
    SimulatedMachine::Options options;
    options.answerAtPoll = 1;
    options.pieceIntervalMs = 0;
    options.pieceBytes = 2 * MiB;
    options.printout = QByteArray();
    while (options.printout.size() < MiB)
        options.printout += SimulatedMachine::DefaultPrintout();
    options.printout.truncate(MiB);
    const Exchange exchange = RunExchange(options);
    const double transferSeconds = (exchange.timing.synReceivedNs - exchange.timing.commandReceivedNs) / 1e9;
    std::printf("1 MiB printout: command to SYN answer %.3f s (%.1f MiB/s), whole reset with rendering %.2f s, "
                "received %s\n",
                transferSeconds, 1 / transferSeconds, exchange.resetSeconds,
                exchange.intact ? "byte for byte" : "WITH LOSS OR REPEATS");
}

void StartupAndMemory()
{
    if (!XSession::ToolsPresent()) {
        std::printf("start-up and memory: skipped (needs Xvfb and xdotool)\n");
        return;
    }
    XSession session;
    if (!session.Start({"--answer-at", "1"})) {
        std::printf("start-up and memory: the program did not come up\n");
        return;
    }
    session.Keys({"space"});
    // Over once the grace time after our SYN has passed and the list is filled.
    QTest::qWaitFor([&] { return session.MachineLog().contains("SYN answer received"); }, 60000);
    QTest::qWait(1000);
    QFile status(QStringLiteral("/proc/%1/status").arg(session.App().processId()));
    QByteArray peak = "?";
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed();
        }
    }
    std::printf("program start to window shown (Xvfb): %lld ms; peak resident memory after a reset: %s\n",
                static_cast<long long>(session.StartupMs()), peak.constData());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    utsname machine{};
    uname(&machine);
    std::printf("%s %s, %d cores, Qt %s\n", machine.sysname, machine.machine, QThread::idealThreadCount(), qVersion());
    const QString only = qEnvironmentVariable("ZELVORIN_BENCH_ONLY"); // e.g. "throughput"
    if (only.isEmpty() || only == u"silent")
        SilentReset();
    if (only.isEmpty() || only == u"reactions")
        Reactions(exchanges);
    if (only.isEmpty() || only == u"throughput")
        Throughput();
    if (only.isEmpty() || only == u"startup")
        StartupAndMemory();
    return 0;
}
