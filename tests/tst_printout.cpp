// SPDX-License-Identifier: GPL-3.0-or-later
// The printout: the rendering rules, Windows-1252, the copy's text, and the
// pages a printer or a PDF gets.

#include "Harness.h"
#include "fuzz/PlainEscapeRule.h"
#include "printout/PrintoutComparison.h"
#include "printout/PrintoutPages.h"
#include "printout/PrintoutRenderer.h"
#include "printout/Windows1252.h"

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using Lines = QList<QByteArray>;

namespace {

Lines Rendered(const QByteArray &data, const Printout::Pump &pump = {})
{
    Lines lines;
    Printout::RenderLines(
            data, [&lines](QByteArrayView line) { lines << line.toByteArray(); }, pump);
    return lines;
}

QString Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

} // namespace

class TestPrintout : public QObject
{
    Q_OBJECT

private slots:
    void renderLines_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<Lines>("lines");
        const QByteArray esc = "\x1b";
        const QByteArray a24(24, 'a');
        QTest::newRow("empty buffer gives only the final entry") << QByteArray() << Lines{""};
        QTest::newRow("header up to the marker at position 9 is dropped; CR and LF end lines")
                << QByteArray("12345678!AB\rCD\n") << Lines{"AB", "CD", ""};
        QTest::newRow("marker at position 10 is printout, escapes still go")
                << QByteArray("123456789!A" + esc + "K1B\r") << Lines{"123456789!AB", ""};
        QTest::newRow("no marker: escape letters stay, the ESC itself goes")
                << QByteArray("A" + esc + "K1B\r") << Lines{"AK1B", ""};
        QTest::newRow("@ and controls go; spaces, DEL and above stay; only fillers or CR LF give a space")
                << QByteArray("!a@b c\x01\x07\x1f\x16\0d\r\x7f\xe9\xff\r@@@\rAB\r\n", 25)
                << Lines{"ab cd", "\x7f\xe9\xff", " ", "AB", " ", ""};
        QTest::newRow("24 columns stay one entry; a longer line: 24, then all the rest")
                << QByteArray("!" + a24 + "\r" + a24 + QByteArray(100, 'b') + "\r")
                << Lines{a24, a24, QByteArray(100, 'b'), ""};
        QTest::newRow("one ä and K with a digit and a hex digit are a prefix, removed before the width is measured")
                << QByteArray("!\xe4\r\xe4K1Fabc\r\xe4\xe4x\rK9Ax\rK0Fy\r\xe4K12" + a24 + "\rK1F\r")
                << Lines{"", "abc", "\xe4x", "x", "y", a24, "", ""};
        QTest::newRow("no prefix without the digits") << QByteArray("!K1gabc\rK1fabc\rK:0x\rKA@x\rK5\r")
                                                      << Lines{"K1gabc", "K1fabc", "K:0x", "KAx", "K5", ""};
        QTest::newRow("trailing text without a line end is shown, with prefix removal and the split")
                << QByteArray("!\xe4K1F" + QByteArray(26, 'z') + "\x16") << Lines{QByteArray(24, 'z'), "zz", ""};
    }

    void renderLines()
    {
        QFETCH(QByteArray, data);
        QFETCH(Lines, lines);
        QCOMPARE(Rendered(data), lines);
    }

    // The fast escape removal does what the rule as first written does, on
    // every string of up to eight of the characters that matter.
    void escapesGoAsThePlainRuleHasIt()
    {
        const QByteArray alphabet = "\x1bKkx";
        for (int length = 0; length <= 8; ++length) {
            for (int code = 0; code < 1 << (2 * length); ++code) {
                QByteArray data;
                for (int at = 0; at < length; ++at)
                    data += alphabet[(code >> (2 * at)) & 3];
                QCOMPARE(Printout::RemoveEscapeSequences(data), RemoveEscapeSequencesPlainly(data));
            }
        }
    }

    // The window gets turns while a large printout goes: a megabyte dense
    // with sequences, and a line of a megabyte, every 64 Ki, not more often.
    void pumpsWhileGoingThroughLargeData()
    {
        int pumps = 0;
        const Lines lines = Rendered("!" + QByteArray("\x1bKxab").repeated(200000), [&pumps] { ++pumps; });
        QCOMPARE_GE(pumps, 20);
        QCOMPARE(lines[0], QByteArray("ab").repeated(12));
        pumps = 0;
        const ListEntries line = Printout::RenderPrintout(QByteArray(1 << 20, 'z'), [&pumps] { ++pumps; });
        QCOMPARE(line[1].size(), (1 << 20) - 24);
        QCOMPARE_GE(pumps, 30);
        QCOMPARE_LE(pumps, 40);
    }

    void windows1252AsTheSystemReadsIt()
    {
        QStringDecoder decoder("windows-1252");
        if (!decoder.isValid())
            QSKIP("this Qt has no Windows-1252 converter to compare with");
        QCOMPARE(Printout::DecodeWindows1252(EveryByte()), decoder.decode(EveryByte()));
    }

    void compareSideBySide_data()
    {
        using Kind = Printout::ComparedLine::Kind;
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("right");
        QTest::addColumn<QList<Printout::ComparedLine>>("rows");
        QTest::newRow("a count changed: side by side, marked")
                << QStringList{"Nr. 1", "Summe 5", "Ende"} << QStringList{"Nr. 1", "Summe 7", "Ende"}
                << QList<Printout::ComparedLine>{{Kind::Same, "Nr. 1", "Nr. 1"},
                                                 {Kind::Changed, "Summe 5", "Summe 7"},
                                                 {Kind::Same, "Ende", "Ende"}};
        QTest::newRow("a line become two: the second on its side alone")
                << QStringList{"Nr. 1", "Summe 5", "Ende"} << QStringList{"Nr. 1", "Summe 7", "Summe 8", "Ende"}
                << QList<Printout::ComparedLine>{{Kind::Same, "Nr. 1", "Nr. 1"},
                                                 {Kind::Changed, "Summe 5", "Summe 7"},
                                                 {Kind::RightOnly, "", "Summe 8"},
                                                 {Kind::Same, "Ende", "Ende"}};
        QTest::newRow("lines only one side has, in order")
                << QStringList{"a", "x", "b"} << QStringList{"a", "b", "y", "z"}
                << QList<Printout::ComparedLine>{{Kind::Same, "a", "a"},
                                                 {Kind::LeftOnly, "x", ""},
                                                 {Kind::Same, "b", "b"},
                                                 {Kind::RightOnly, "", "y"},
                                                 {Kind::RightOnly, "", "z"}};
    }
    void compareSideBySide()
    {
        QFETCH(QStringList, left);
        QFETCH(QStringList, right);
        QFETCH(QList<Printout::ComparedLine>, rows);
        QCOMPARE(Printout::Compare(FromStrings(left), FromStrings(right)), rows);
    }

    // A list appended whole, itself made of appended parts, keeps every entry in its place.
    void listsAppendedWhole()
    {
        ListEntries inner = FromStrings({"b"});
        inner.Append(FromStrings({"c"}));
        inner.Append(u"d");
        ListEntries outer = FromStrings({"a"});
        outer.Append(inner);
        QCOMPARE(ToStrings(outer), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(outer[3], u"d");
    }

    // Lines over 24 columns carried on, strips side by side, a header and a
    // number on every page, margins widened to 15 mm.
    void pdfPages()
    {
        QStringList printout = {"iiiiiiii", "WWWWWWWW", QString(30, u'X'), QString(48, u'Y'), "Münzprüfer"};
        for (int row = 1; row <= 400; ++row)
            printout << QStringLiteral("Zeile%1").arg(row, 3, 10, QChar(u'0'));
        // A line as wide as the paper takes one line of it, with no empty one after.
        const QStringList paper = printout.mid(0, 2)
                                  + QStringList{QString(24, u'X'), QString(6, u'X'), QString(24, u'Y'),
                                                QString(24, u'Y')}
                                  + printout.mid(4);
        constexpr int pages = 3;
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("needs poppler-utils (tools/install-deps --test)");
        QTemporaryDir dir;
        const QString pdf = dir.filePath("a.pdf");
        QPdfWriter writer(pdf);
        writer.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
        // The empty entry that ends every printout too; the file is whole once painted.
        const Printout::Pages printed = Printout::PrintPages(writer, FromStrings(printout + QStringList{QString()}),
                                                             "Kopfzeile COM1");
        QVERIFY(printed.printed);
        QCOMPARE(printed.count, pages);

        // Every word inside the margins, in letters of 10 points or more, not
        // pixels; and fixed width by the font's own measure, whatever it is
        // called: a narrow and a wide letter take the same room.
        const QString boxes = Run("pdftotext", {"-bbox", pdf, "-"});
        const qreal clear = 15 * 72 / 25.4;
        const QRegularExpression word(
                R"x(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]+)</word>)x");
        QStringList read;    // the printout's words, strip after strip, page after page
        QStringList headers; // and what else each page says
        QMap<QString, double> widths;
        qsizetype stripsOnFirstPage = 0;
        qsizetype onFirstPage = 0;
        qreal stripStep = 0; // from one strip's left edge to the next one's
        qreal headerTop = -1;
        qreal numberTop = -1;
        qreal pageHeight = 0;
        qreal firstTop = 0; // the printout's first line on the first page
        qreal lastTop = 0;  // its last line there
        qreal lineStep = 0;
        const QStringList pageBoxes = boxes.split(QStringLiteral("<page "), Qt::SkipEmptyParts).mid(1);
        for (const QString &pageBox : pageBoxes) {
            const QRegularExpressionMatch size
                    = QRegularExpression(R"x(width="([\d.]+)" height="([\d.]+)")x").match(pageBox);
            QMap<double, QMap<double, QString>> strips; // by left edge, then by top
            for (const QRegularExpressionMatch &box : word.globalMatch(pageBox)) {
                const auto at = [&box](int n) { return box.captured(n).toDouble(); };
                QCOMPARE_GE(at(1), clear);
                QCOMPARE_GE(at(2), clear);
                QCOMPARE_GE(size.captured(1).toDouble() - at(3), clear);
                QCOMPARE_GE(size.captured(2).toDouble() - at(4), clear);
                QCOMPARE_GE(at(4) - at(2), 10.0);
                widths[box.captured(5)] = at(3) - at(1);
                const QString text = box.captured(5);
                if (text == "Kopfzeile" && headerTop < 0)
                    headerTop = at(2);
                if (text == "Seite" && numberTop < 0) {
                    numberTop = at(2);
                    pageHeight = size.captured(2).toDouble();
                }
                if (text == "Kopfzeile" || text == "COM1" || text == "Seite" || text == "von" || text.front().isDigit())
                    headers << text;
                else
                    strips[at(1)][at(2)] = text;
            }
            for (const QMap<double, QString> &strip : std::as_const(strips))
                read << strip.values();
            if (stripsOnFirstPage == 0) {
                onFirstPage = read.size();
                stripsOnFirstPage = strips.size();
                stripStep = strips.keys().value(1) - strips.firstKey();
                firstTop = strips.first().firstKey();
                lastTop = strips.first().lastKey();
                lineStep = strips.first().keys().value(1) - firstTop;
            }
        }
        QCOMPARE(read, paper);
        QCOMPARE(pageBoxes.size(), pages);
        QCOMPARE(headers.count("Kopfzeile"), pages);
        QCOMPARE(headers.count("Seite"), pages);
        QCOMPARE(qRound((firstTop - headerTop) / lineStep), 2); // a blank line under the header
        QCOMPARE(qRound((numberTop - lastTop) / lineStep), 2);  // and above the page number
        // As many lines as fit: less than a line is left between the page number's
        // line and the bottom margin. A word's top lies as far into its line as
        // the header's top lies below the top margin.
        QCOMPARE_LT(pageHeight - clear - (numberTop - (headerTop - clear) + lineStep), lineStep);
        QCOMPARE_GT(stripsOnFirstPage, 1);                       // side by side, as many as fit
        QCOMPARE_GT(stripStep, widths.value(QString(24, u'X'))); // apart
        QCOMPARE(widths.value("iiiiiiii"), widths.value("WWWWWWWW"));
        // A printout that fills a page exactly takes that page alone, unnumbered;
        // one line more, a second, and both are numbered.
        const auto pageNumbers = [&](qsizetype lines) {
            const QString file = dir.filePath("b.pdf");
            QPdfWriter other(file);
            other.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
            const ListEntries entries = FromStrings(paper.first(lines) + QStringList{QString()}); // closing entry
            if (!Printout::PrintPages(other, entries, "Kopfzeile").printed)
                return QStringList{"not printed"};
            QStringList numbers;
            for (const QRegularExpressionMatch &number :
                 QRegularExpression("Seite \\d+ von \\d+").globalMatch(Run("pdftotext", {file, "-"})))
                numbers << number.captured();
            return numbers;
        };
        QCOMPARE(pageNumbers(onFirstPage), QStringList());
        QCOMPARE(pageNumbers(onFirstPage + 1), (QStringList{"Seite 1 von 2", "Seite 2 von 2"}));
        // A device that cannot be painted on: nothing claimed as printed.
        QPdfWriter nowhere(dir.filePath("missing/c.pdf"));
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QVERIFY(!Printout::PrintPages(nowhere, FromStrings({"a", QString()}), "Kopfzeile").printed);
    }
};

QTEST_MAIN(TestPrintout)
#include "tst_printout.moc"
