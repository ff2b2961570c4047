// SPDX-License-Identifier: GPL-3.0-or-later
// "Frühere Ausdrucke" on a large archive: printouts of the simulated machine,
// each with a machine number of its own, kept as the archive keeps them.
// How long the list takes to show, a search with and without a match, and
// the longest time the window goes without answering.
//   build/bench/bench_archive [printouts, default 10000] [bytes each, default 10000] [--keep FOLDER]

#include "app/ArchiveView.h"
#include "archive/ArchiveIndex.h"
#include "archive/Recording.h"
#include "printout/PrintoutCopy.h"
#include "printout/PrintoutRenderer.h"
#include "tools/SimulatedMachine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// The longest time between two turns of the event loop, by a 5 ms timer.
class Stalls
{
public:
    Stalls()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_worst = std::max(m_worst, m_clock.restart()); });
        m_clock.start();
        m_timer.start(5);
    }
    qint64 TakeWorstMs() { return std::exchange(m_worst, 0); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_worst = 0;
};

// A machine's printout of about `size` bytes, its counts and number its own.
QByteArray Printout(int machine, qsizetype size)
{
    SimulatedMachine::Options options;
    QByteArray printout = options.printout;
    printout.replace("004711", QByteArray::number(100000 + machine));
    QByteArray whole = options.header;
    for (int part = 0; whole.size() < size; ++part)
        whole += printout + "Teil " + QByteArray::number(part) + " Summe " + QByteArray::number(machine * 7 + part)
                 + "\r\n";
    return whole + '\x16';
}

void Fill(const QByteArray &folder, int count, qsizetype size)
{
    const QDateTime start = QDateTime::currentDateTime().addSecs(-count * 60);
    for (int i = 0; i < count; ++i) {
        const QByteArray bytes = Printout(i, size);
        Recording recording{.folder = folder,
                            .stem = ArchiveNames::Stem(start.addSecs(i * 60), QStringLiteral("COM%1").arg(1 + i % 9)),
                            .token = ArchiveNames::NewToken()};
        recording.StartWorking();
        recording.Keep(bytes, ArchiveNames::Ending::Complete,
                       Printout::JoinLines(Printout::RenderPrintout(bytes)).toUtf8());
    }
}

qint64 Timed(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.elapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Ausdrucke"));
    if (const qsizetype keep = arguments.indexOf(QStringLiteral("--keep")); keep >= 0 && keep + 1 < arguments.size()) {
        folder = arguments[keep + 1];
        arguments.remove(keep, 2);
    }
    const int count = arguments.value(0, QStringLiteral("10000")).toInt();
    const qsizetype size = arguments.value(1, QStringLiteral("10000")).toLongLong();
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache")))); // the index starts empty
    const QByteArray path = QFile::encodeName(folder);

    const qint64 fillMs = Timed([&] { Fill(path, count, size); });
    std::printf("%d printouts of %lld bytes kept in %lld ms\n", count, static_cast<long long>(size),
                static_cast<long long>(fillMs));

    QList<ArchiveEntry> entries;
    const qint64 scanMs = Timed([&] { entries = ArchiveIndex::Scan(path); });
    const qint64 coldMs = Timed([&] { ArchiveIndex::Read(entries, path); });
    entries = ArchiveIndex::Scan(path);
    const qint64 warmMs = Timed([&] { ArchiveIndex::Read(entries, path); });
    int found = 0;
    const qint64 matchMs = Timed([&] {
        const QByteArray wanted = ArchiveIndex::Fold(QStringLiteral("Automat Nr.     %1").arg(100000 + count / 2));
        for (const ArchiveEntry &entry : std::as_const(entries))
            found += entry.Holds(wanted);
    });
    int none = 0;
    const qint64 noMatchMs = Timed([&] {
        const QByteArray wanted = ArchiveIndex::Fold(QStringLiteral("kein Automat hat das gedruckt"));
        for (const ArchiveEntry &entry : std::as_const(entries))
            none += entry.Holds(wanted);
    });
    std::printf("names read: %lld ms; what the files hold, without an index: %lld ms, with it: %lld ms\n",
                static_cast<long long>(scanMs), static_cast<long long>(coldMs), static_cast<long long>(warmMs));
    std::printf("search through all: %lld ms (%d found), without a match: %lld ms (%d found)\n",
                static_cast<long long>(matchMs), found, static_cast<long long>(noMatchMs), none);

    // The window, on the index the command line left, and anew without one.
    for (const bool withIndex : {true, false}) {
        if (!withIndex)
            QFile::remove(ArchiveIndex::IndexPath(path));
        ArchiveView view(path);
        Stalls stalls;
        QElapsedTimer clock;
        clock.start();
        view.show();
        auto *table = view.findChild<QTableView *>(QStringLiteral("Printouts"));
        QTest::qWaitFor([&] { return table->model()->rowCount() == count; }, 60000);
        const qint64 listed = clock.elapsed();
        QTest::qWaitFor([&] { return view.StatusText() == QStringLiteral("%1 Ausdrucke").arg(count); }, 60000);
        const qint64 read = clock.elapsed();
        clock.restart();
        view.findChild<QLineEdit *>(QStringLiteral("Search"))->setText(QStringLiteral("kein Automat hat das gedruckt"));
        QTest::qWaitFor([&] { return table->model()->rowCount() == 0; }, 60000);
        const qint64 searched = clock.elapsed() - ArchiveView::SearchDelayMs;
        std::printf("window %s: list shown %lld ms, all read %lld ms, a search without a match %lld ms after "
                    "typing stopped; longest without answering %lld ms\n",
                    withIndex ? "with the index" : "without an index", static_cast<long long>(listed),
                    static_cast<long long>(read), static_cast<long long>(searched),
                    static_cast<long long>(stalls.TakeWorstMs()));
    }
    return 0;
}
