// SPDX-License-Identifier: GPL-3.0-or-later
// The window with a printout at the size bound: a machine that sends 64 MiB
// and more without its final SYN. How long the window goes without handling
// input while the data comes, is kept, is rendered and is copied, and the
// program's peak memory.
//   build/bench/bench_bound [realistic|one-line|line-ends]...

#include "app/Form1.h"
#include "reset/ResetExchange.h"
#include "reset/ResetProtocol.h"
#include "tools/SimulatedMachine.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

constexpr qint64 MiB = 1024 * 1024;
constexpr int ProbeMs = 5;

// The longest stretch between two turns of the event loop, while it runs.
class Stalls
{
public:
    Stalls()
    {
        m_probe.setInterval(ProbeMs);
        m_probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_probe, &QTimer::timeout, [this] { Note(); });
        m_clock.start();
        m_probe.start();
    }
    qint64 TakeWorstMs()
    {
        Note();
        return std::exchange(m_worst, 0);
    }

private:
    void Note()
    {
        const qint64 now = m_clock.elapsed();
        m_worst = std::max(m_worst, now - m_last);
        m_last = now;
    }
    QTimer m_probe;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

QByteArray StatusField(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qstrlen(name)).simplified();
    }
    return "?";
}

QByteArray Printout(const QString &kind)
{
    const qint64 size = ResetProtocol::RxLimitBytes + 4 * MiB;
    if (kind == u"one-line")
        return QByteArray(size, 'x');
    if (kind == u"line-ends")
        return QByteArray(size, '\n');
    const QByteArray unit = SimulatedMachine::DefaultPrintout();
    return unit.repeated(size / unit.size() + 1);
}

void AtTheBound(const QString &kind, const QTemporaryDir &dir)
{
    QFile file(dir.filePath(kind));
    file.open(QIODevice::WriteOnly);
    file.write(Printout(kind));
    file.close();
    QProcess machine;
    machine.start(QStringLiteral(ZELVORIN_MACHINE_PATH),
                  {"--scenario", "no-syn", "--answer-at", "1", "--piece-bytes", "4194304", "--piece-ms", "0",
                   "--printout", file.fileName(), "--log", dir.filePath("machine.log")});
    machine.waitForReadyRead();
    const QString device = QString::fromLocal8Bit(machine.readLine()).trimmed();

    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // the peak below is this run's own
    clear.close();
    {
        PortDirectory directory;
        directory.SetDevice(1, {QStringLiteral("pty"), QFile::encodeName(device), QString()});
        Form1 form(directory, PrintoutArchive(dir.filePath(QStringLiteral("Ausdrucke"))));
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            return;
        Stalls stalls;
        QElapsedTimer clock;
        clock.start();
        RunReset(form, form.Listeners());
        const qint64 resetMs = clock.elapsed();
        const qint64 resetWorst = stalls.TakeWorstMs();
        const QByteArray resetPeak = StatusField("VmHWM:");
        clock.restart();
        QGuiApplication::clipboard()->clear();
        QTest::keyRelease(form.findChild<QListView *>(QStringLiteral("List1")), Qt::Key_C);
        // Blank lines alone are not copied: the status line says so instead.
        const bool copied = QTest::qWaitFor(
                [&form] {
                    return !QGuiApplication::clipboard()->text().isEmpty()
                           || form.StatusText().startsWith(QLatin1StringView("Nichts kopiert"));
                },
                60000);
        const qint64 copyMs = clock.elapsed();
        if (!copied)
            std::printf("%s: the copy did not arrive within a minute\n", qPrintable(kind));
        const qint64 copyWorst = stalls.TakeWorstMs();
        // What the list keeps: its characters, and a 32-bit end for each entry.
        const double listBytes = form.Entries().Characters() * double(sizeof(QChar)) + form.Entries().size() * 4.0;
        std::printf("%-10s %9lld entries, list storage %.0f MB (%.1f times the bound); reset %6lld ms, longest stall "
                    "%4lld ms, "
                    "peak memory %s; copy %5lld ms, longest stall %4lld ms; peak memory %s (%.1f times the bound)\n",
                    qPrintable(kind), static_cast<long long>(form.Entries().size()), listBytes / 1e6,
                    listBytes / ResetProtocol::RxLimitBytes, resetMs, resetWorst, resetPeak.constData(), copyMs,
                    copyWorst, StatusField("VmHWM:").constData(),
                    StatusField("VmHWM:").split(' ').value(0).toDouble() * 1024 / ResetProtocol::RxLimitBytes);
    }
    QGuiApplication::clipboard()->clear(); // the next run's peak is its own
    machine.kill();
    machine.waitForFinished();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList kinds = app.arguments().mid(1);
    if (kinds.isEmpty())
        kinds = {"realistic", "one-line", "line-ends"};
    QTemporaryDir dir;
    for (const QString &kind : std::as_const(kinds))
        AtTheBound(kind, dir);
    return 0;
}
