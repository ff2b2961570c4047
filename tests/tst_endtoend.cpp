// SPDX-License-Identifier: GPL-3.0-or-later
// The built program on an X server of its own, with the simulated machine,
// started and keyed as a person does; then ended in the middle of the
// printout by a signal, and once more by its display going away.

#include "tests/XSession.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void endedMidPrintout_data()
    {
        QTest::addColumn<bool>("displayGone"); // else SIGTERM
        QTest::addColumn<int>("exitCode");
        QTest::newRow("SIGTERM: the window winds down as if closed") << false << 0;
        QTest::newRow("the display goes away: Qt ends the program") << true << 1;
    }
    void endedMidPrintout()
    {
        QFETCH(bool, displayGone);
        QFETCH(int, exitCode);
        if (!XSession::ToolsPresent())
            QSKIP("needs Xvfb, xdotool and xprop (tools/install-deps --test)");
        XSession session;
        QVERIFY(session.Start({"--scenario", "no-syn", "--piece-ms", "40", "--answer-at", "1"}));
        session.Keys({"space"}); // the button has the focus
        QTRY_VERIFY_WITH_TIMEOUT(session.MachineLog().contains("command string matched"), XSession::ToolTimeoutMs);
        if (displayGone)
            session.StopServer();
        else
            QVERIFY(::kill(session.App().processId(), SIGTERM) == 0);
        QVERIFY(session.App().waitForFinished(XSession::ToolTimeoutMs));
        QCOMPARE(session.App().exitStatus(), QProcess::NormalExit);
        QCOMPARE(session.App().exitCode(), exitCode);
        // All the same, the machine has its SYN, and what came is kept.
        const QString log = session.MachineLog();
        QVERIFY2(log.contains(QRegularExpression("received 16\n[^\n]*SYN while printing, stopped\n$")), // once, alone
                 qPrintable(log));
        const QStringList kept = Files(session.ArchivePath());
        QCOMPARE(kept.size(), 2);
        QVERIFY2(kept[0].endsWith("_unvollstaendig.bin"), qPrintable(kept[0]));
        QVERIFY2(kept[1].endsWith("_unvollstaendig.txt"), qPrintable(kept[1]));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
