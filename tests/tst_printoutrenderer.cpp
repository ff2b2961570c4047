#include "PlainEscapeRule.h"

#include "printout/PrintoutRenderer.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Lines = QList<QByteArray>;

} // namespace

class TestPrintoutRenderer : public QObject
{
    Q_OBJECT

private slots:
    void renderLines_data();
    void renderLines();
    void escapeRemovalMatchesPlainRule_data();
    void escapeRemovalMatchesPlainRule();
    void escapeRemovalOnRandomData();
    void pumpsWhileStrippingLargeData();
    void everyByteValueInEveryPosition();
    void windows1252Display_data();
    void windows1252Display();
};

void TestPrintoutRenderer::renderLines_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<Lines>("lines");

    const QByteArray esc = "\x1b";
    QTest::newRow("empty buffer gives only the final entry") << QByteArray() << Lines{""};
    QTest::newRow("header up to the marker is dropped") << QByteArray("xy!AB\rCD\n") << Lines{"AB", "CD", ""};
    QTest::newRow("marker at position 9 is still header")
        << QByteArray("12345678!AB\r") << Lines{"AB", ""};
    QTest::newRow("marker at position 10 is printout, escapes still go")
        << QByteArray("123456789!A" + esc + "K1B\r") << Lines{"123456789!AB", ""};
    QTest::newRow("no marker: escape letters stay, the ESC itself goes")
        << QByteArray("A" + esc + "K1B\r") << Lines{"AK1B", ""};
    QTest::newRow("ESC k 1 vanishes whole") << QByteArray("!A" + esc + "k1B\r") << Lines{"AB", ""};
    QTest::newRow("removal that brings a new sequence together")
        << QByteArray("!" + esc + esc + "KxKyZ\r") << Lines{"Z", ""};
    QTest::newRow("sequence cut short by the end of the data")
        << QByteArray("!AB\r" + esc + "K") << Lines{"AB", ""};
    QTest::newRow("@ and control characters are dropped")
        << QByteArray("!a@b\x01\x07\x1f\x16\0c\r", 12) << Lines{"abc", ""};
    QTest::newRow("DEL and bytes above it stay") << QByteArray("!\x7f\xe9\xff\r") << Lines{"\x7f\xe9\xff", ""};
    QTest::newRow("CR LF: the line, then a space") << QByteArray("!AB\r\n") << Lines{"AB", " ", ""};
    QTest::newRow("LF alone ends a line") << QByteArray("!AB\nCD\n") << Lines{"AB", "CD", ""};
    QTest::newRow("empty line becomes a space") << QByteArray("!\r\r") << Lines{" ", " ", ""};
    QTest::newRow("line of only fillers becomes a space") << QByteArray("!@@@\r") << Lines{" ", ""};
    QTest::newRow("24 columns stay one entry")
        << QByteArray("!" + QByteArray(24, 'a') + "\r") << Lines{QByteArray(24, 'a'), ""};
    QTest::newRow("25 columns split after 24")
        << QByteArray("!" + QByteArray(24, 'a') + "b\r") << Lines{QByteArray(24, 'a'), "b", ""};
    QTest::newRow("30 columns: 24 and 6")
        << QByteArray("!" + QByteArray(24, 'a') + "bbbbbb\r") << Lines{QByteArray(24, 'a'), "bbbbbb", ""};
    QTest::newRow("very long line: 24, then all the rest")
        << QByteArray("!" + QByteArray(24, 'a') + QByteArray(100, 'b') + "\r")
        << Lines{QByteArray(24, 'a'), QByteArray(100, 'b'), ""};
    QTest::newRow("ä alone gives an empty entry") << QByteArray("!\xe4\r") << Lines{"", ""};
    QTest::newRow("äK1Fabc gives abc") << QByteArray("!\xe4K1Fabc\r") << Lines{"abc", ""};
    QTest::newRow("K1gabc stays: g is no hex digit") << QByteArray("!K1gabc\r") << Lines{"K1gabc", ""};
    QTest::newRow("K1fabc stays: lower-case hex is not a prefix")
        << QByteArray("!K1fabc\r") << Lines{"K1fabc", ""};
    QTest::newRow("K5 stays: too short for a prefix") << QByteArray("!K5\r") << Lines{"K5", ""};
    QTest::newRow("K0A alone leaves an empty entry") << QByteArray("!K0A\r") << Lines{"", ""};
    QTest::newRow("only one ä is removed") << QByteArray("!\xe4\xe4x\r") << Lines{"\xe4x", ""};
    QTest::newRow("prefix removed before the width is measured")
        << QByteArray("!\xe4K12" + QByteArray(24, 'a') + "\r") << Lines{QByteArray(24, 'a'), ""};
    QTest::newRow("trailing text without a line end is shown")
        << QByteArray("!AB\rCD\x16") << Lines{"AB", "CD", ""};
    QTest::newRow("trailing text gets prefix removal and the split")
        << QByteArray("!\xe4K1F" + QByteArray(26, 'z')) << Lines{QByteArray(24, 'z'), "zz", ""};
    QTest::newRow("trailing control characters alone add nothing") << QByteArray("!AB\r\x16") << Lines{"AB", ""};
}

void TestPrintoutRenderer::renderLines()
{
    QFETCH(QByteArray, data);
    QFETCH(Lines, lines);
    QCOMPARE(Printout::RenderLines(data).ToList(), lines);
}

void TestPrintoutRenderer::escapeRemovalMatchesPlainRule_data()
{
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("ESC ESC K x K y: a cascade that leaves nothing") << QByteArray("\x1b\x1bKxKy");
    QTest::newRow("third character is itself an ESC") << QByteArray("\x1bK\x1bKy");
    QTest::newRow("deep cascade") << QByteArray("\x1b\x1b\x1b\x1bKaKbKcKd!");
    QTest::newRow("lower-case letter") << QByteArray("a\x1bkzb");
    QTest::newRow("ESC before another letter stays") << QByteArray("\x1bL1\x1b");
    QTest::newRow("sequence at the very end") << QByteArray("ab\x1bK");
}

void TestPrintoutRenderer::escapeRemovalMatchesPlainRule()
{
    QFETCH(QByteArray, data);
    QCOMPARE(Printout::RemoveEscapeSequences(data), RemoveEscapeSequencesPlainly(data));
}

void TestPrintoutRenderer::escapeRemovalOnRandomData()
{
    const QByteArray alphabet("\x1bKk!\r\nx");
    QRandomGenerator random(20261206);
    for (int round = 0; round < 20000; ++round) {
        QByteArray data(random.bounded(1, 40), '\0');
        for (char &c : data)
            c = alphabet[random.bounded(int(alphabet.size()))];
        const QByteArray fast = Printout::RemoveEscapeSequences(data);
        const QByteArray plain = RemoveEscapeSequencesPlainly(data);
        if (fast != plain)
            QFAIL(qPrintable(QStringLiteral("differs on %1").arg(QString::fromLatin1(data.toHex(' ')))));
    }
}

void TestPrintoutRenderer::pumpsWhileStrippingLargeData()
{
    // A megabyte dense with sequences: the window gets turns along the way.
    const QByteArray data = QByteArray("!") + QByteArray("\x1bKxab").repeated(200000);
    int pumps = 0;
    const Lines lines = Printout::RenderLines(data, [&pumps] { ++pumps; }).ToList();
    QVERIFY(pumps >= 10);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QByteArray("ab").repeated(12));
}

void TestPrintoutRenderer::everyByteValueInEveryPosition()
{
    const QByteArray line = "abcdef";
    const auto orSpace = [](const QByteArray &text) { return text.isEmpty() ? QByteArray(" ") : text; };
    for (int value = 0; value < 256; ++value) {
        const char byte = char(value);
        for (qsizetype position = 0; position <= line.size(); ++position) {
            QByteArray data = "!" + line + "\r";
            data.insert(1 + position, byte);
            Lines expected;
            if (byte == '\r' || byte == '\n') {
                expected = {orSpace(line.left(position)), orSpace(line.mid(position)), ""};
            } else {
                QByteArray kept = line;
                if (value >= 32 && byte != '@' && !(position == 0 && byte == '\xe4'))
                    kept.insert(position, byte);
                expected = {kept, ""};
            }
            QCOMPARE(Printout::RenderLines(data).ToList(), expected);
        }
    }
}

void TestPrintoutRenderer::windows1252Display_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("0xE4 is ä") << QByteArray("\xe4") << QStringLiteral("ä");
    QTest::newRow("0x80 is the euro sign") << QByteArray("\x80") << QStringLiteral("€");
    QTest::newRow("German letters") << QByteArray("\xc4\xd6\xdc\xe4\xf6\xfc\xdf")
                                    << QStringLiteral("ÄÖÜäöüß");
    QTest::newRow("typographic quotes and dashes") << QByteArray("\x84\x93\x94\x96\x97")
                                                   << QStringLiteral("„“”–—");
    QTest::newRow("unassigned codes keep their position") << QByteArray("\x81\x8d\x8f\x90\x9d")
                                                          << QStringLiteral("\u0081\u008d\u008f\u0090\u009d");
    QTest::newRow("0xA0 to 0xFF as in Latin-1") << QByteArray("\xa0\xa9\xb0\xff") << QStringLiteral("\u00a0©°ÿ");
}

void TestPrintoutRenderer::windows1252Display()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Printout::DecodeWindows1252(bytes), text);
}

QTEST_GUILESS_MAIN(TestPrintoutRenderer)
#include "tst_printoutrenderer.moc"
