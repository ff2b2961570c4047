#include "tools/XSession.h"

#include <QTest>

namespace {

constexpr int ResetTimeoutMs = 60000;

// The default printout as the list shows it, copied with its CR LF line ends:
// first the empty line after "*** Warte auf Daten", then the printout.
const QByteArray DefaultPrintoutCopied = QStringLiteral(
    "\r\n"
    "== AUDIT-AUSDRUCK ==\r\n"
    " \r\n"
    "Automat Nr.     004711\r\n"
    "Datum  06.12.2026 14:32\r\n"
    " \r\n"
    "Verkäufe seit Löschung: \r\n"
    "  1.284\r\n"
    "Umsatz:      2.345,60 €\r\n"
    "Bargeld:     1.980,40 €\r\n"
    "Bargeldlos:    365,20 €\r\n"
    " \r\n"
    "Münzröhren\r\n"
    "  0,10 €:   37 Stück\r\n"
    "  0,20 €:   42 Stück\r\n"
    "  0,50 €:   28 Stück\r\n"
    "  1,00 €:   19 Stück\r\n"
    "  2,00 €:   11 Stück\r\n"
    "Banknoten\r\n"
    "   5 €: 12  10 €: 7  20 \r\n"
    "€: 3\r\n"
    "Fächer leer: 3, 7, 12\r\n"
    "Türöffnungen:         17\r\n"
    "Störungen: Münzprüfer 2x\r\n"
    ", Kühlung 0x\r\n"
    "K3xSchacht 3 geprüft\r\n"
    "\r\n"
    "Rückstellung erfolgt\r\n"
    " \r\n"
    " \r\n"
    "\r\n").toUtf8();

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void resetThenCopyPrintout();
    void silentMachineEndsWithFailureLines();
    void closeDuringDataPhaseEndsCleanly();
};

void TestEndToEnd::init()
{
    if (!XSession::ToolsPresent())
        QSKIP("needs Xvfb, xdotool, xclip and ImageMagick (tools/install-deps --test)");
}

void TestEndToEnd::resetThenCopyPrintout()
{
    XSession session;
    QVERIFY(session.Start({"--piece-ms", "5"}));
    QVERIFY(session.RunReset(ResetTimeoutMs));
    QVERIFY(session.MachineLog().contains(QStringLiteral("command string matched")));

    session.Keys({"Tab", "c"});
    QTRY_COMPARE_WITH_TIMEOUT(session.Clipboard(), DefaultPrintoutCopied, ResetTimeoutMs);
}

void TestEndToEnd::silentMachineEndsWithFailureLines()
{
    XSession session;
    QVERIFY(session.Start({"--scenario", "silent"}));
    QVERIFY(session.RunReset(ResetTimeoutMs));
    QCOMPARE(session.MachineLog().count(QStringLiteral("received 05")), 20);

    // Status lines stay out of the copy: what is left is the empty printout's
    // one entry and the empty line that closes the failure report.
    session.Keys({"Tab", "c"});
    QTRY_COMPARE_WITH_TIMEOUT(session.Clipboard(), QByteArray("\r\n\r\n"), ResetTimeoutMs);
}

void TestEndToEnd::closeDuringDataPhaseEndsCleanly()
{
    XSession session;
    QVERIFY(session.Start({"--scenario", "no-syn", "--answer-at", "1", "--piece-ms", "5"}));
    session.Keys({"space"});
    QTRY_VERIFY_WITH_TIMEOUT(session.MachineLog().contains(QStringLiteral("printout sent")), ResetTimeoutMs);

    QVERIFY(session.RequestClose());
    QVERIFY(session.App().waitForFinished(5000));
    QCOMPARE(session.App().exitStatus(), QProcess::NormalExit);
    QCOMPARE(session.App().exitCode(), 0);
    QTRY_VERIFY(session.MachineLog().contains(QStringLiteral("SYN answer received")));
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
