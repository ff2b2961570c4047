// SPDX-License-Identifier: GPL-3.0-or-later
// The built program on an X server of its own, with the simulated machine,
// used as a person uses it: keys, the clipboard, the list's menu, a file
// dialog; then a signal in the middle of a second reset.

#include "XSession.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

constexpr int StepTimeoutMs = 15000;

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void resetCopySaveThenSignal();
};

void TestEndToEnd::resetCopySaveThenSignal()
{
    if (!XSession::ToolsPresent())
        QSKIP("needs Xvfb, xdotool, xclip and ImageMagick (tools/install-deps --test)");
    XSession session;
    QVERIFY(session.Start({"--piece-ms", "40", "--answer-at", "1"}));

    // Space on the button: the printout kept as received and as text.
    QVERIFY(session.RunReset(StepTimeoutMs));
    QDir archive(session.ArchivePath());
    QCOMPARE(archive.entryList(QDir::Files).size(), 2);
    const QByteArray text = Contents(archive.filePath(archive.entryList({"*.txt"}).value(0)));
    QVERIFY(text.contains("\r\nM\xc3\xbcnzr\xc3\xb6hren\r\n") && text.endsWith("R\xc3\xbc" "ckstellung erfolgt\r\n \r\n \r\n\r\n"));

    // Tab to the list and C: the clipboard holds the archive's text, after
    // the blank line below the status lines.
    session.Keys({"Tab", "c"});
    QTRY_COMPARE_WITH_TIMEOUT(session.Clipboard(), "\r\n" + text, StepTimeoutMs);

    // Back to the button, a second reset, and SIGTERM while the printout comes:
    // the window winds down as if closed, with the SYN sent and what came kept.
    session.Keys({"shift+Tab", "space"});
    QTRY_VERIFY_WITH_TIMEOUT(session.MachineLog().count("command string matched") == 2, StepTimeoutMs);
    QVERIFY(::kill(session.App().processId(), SIGTERM) == 0);
    QVERIFY(session.App().waitForFinished(StepTimeoutMs));
    QCOMPARE(session.App().exitStatus(), QProcess::NormalExit);
    QCOMPARE(session.App().exitCode(), 0);
    QVERIFY(session.MachineLog().endsWith("SYN while printing, stopped\n"));
    QCOMPARE(archive.entryList({"*_unvollstaendig.bin"}).size(), 1);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
