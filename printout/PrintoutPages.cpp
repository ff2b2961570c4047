// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutPages.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace Printout {
namespace {

// Calls `visit` with each line of the machine's paper in order: longer
// lines go on in the next one.
template<typename Visit>
void ForEachPaperLine(const ListEntries &lines, Visit visit)
{
    qsizetype row = 0;
    lines.ForEach([&](QStringView line) {
        // The list's last entry is the empty one that ends every printout: no line on paper.
        if (++row == lines.size() && line.isEmpty())
            return;
        qsizetype from = 0;
        do {
            visit(line.mid(from, PaperColumns));
            from += PaperColumns;
        } while (from < line.size());
    });
}

// Where the lines of paper go on each page of a device.
struct Sheet
{
    QFont font;
    qreal ascent;
    qreal line;
    qreal stripWidth;
    qsizetype rows; // lines of paper in a strip
    qsizetype perPage;
};

Sheet SetUp(QPagedPaintDevice &device)
{
    // Clear of the paper's edge on every side: wider margins where the
    // printer needs them or the user chose them.
    QPageLayout layout = device.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF chosen = layout.margins();
    const QMarginsF least = layout.minimumMargins();
    const auto side = [](qreal a, qreal b) { return std::max({a, b, PageMarginMm}); };
    device.setPageMargins(QMarginsF(side(chosen.left(), least.left()), side(chosen.top(), least.top()),
                                    side(chosen.right(), least.right()), side(chosen.bottom(), least.bottom())),
                          QPageLayout::Millimeter);

    Sheet sheet;
    sheet.font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    sheet.font.setPointSizeF(PagePointSize);
    const QFontMetricsF metrics(sheet.font, &device);
    sheet.ascent = metrics.ascent();
    sheet.line = metrics.lineSpacing();
    const qreal column = metrics.horizontalAdvance(QLatin1Char('W'));
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    // A header line and a blank one above the printout, a blank line and
    // the page number below it; strips of paper side by side between.
    sheet.stripWidth = (PaperColumns + StripGapColumns) * column;
    const qsizetype strips = std::max<qsizetype>(
            1, static_cast<qsizetype>((page.width() + StripGapColumns * column) / sheet.stripWidth));
    sheet.rows = std::max<qsizetype>(1, static_cast<qsizetype>(page.height() / sheet.line) - 4);
    sheet.perPage = strips * sheet.rows;
    return sheet;
}

qsizetype PageCount(const Sheet &sheet, const ListEntries &lines)
{
    qsizetype paper = 0;
    ForEachPaperLine(lines, [&paper](QStringView) { ++paper; });
    return std::max<qsizetype>(1, (paper + sheet.perPage - 1) / sheet.perPage);
}

} // namespace

Pages PrintPages(QPagedPaintDevice &device, const ListEntries &lines, const QString &header)
{
    const Sheet sheet = SetUp(device);
    const qsizetype pages = PageCount(sheet, lines);
    QPainter painter;
    if (pages > MaxPages || !painter.begin(&device))
        return {static_cast<int>(pages), false};
    painter.setFont(sheet.font);
    const auto startPage = [&](qsizetype number) {
        if (number > 1)
            device.newPage();
        painter.drawText(QPointF(0, sheet.ascent), header);
        if (pages > 1)
            painter.drawText(QPointF(0, sheet.ascent + (sheet.rows + 3) * sheet.line),
                             QStringLiteral("Seite %1 von %2").arg(number).arg(pages));
    };
    startPage(1);
    qsizetype at = 0;
    ForEachPaperLine(lines, [&](QStringView text) {
        const qsizetype onPage = at % sheet.perPage;
        if (at > 0 && onPage == 0)
            startPage(at / sheet.perPage + 1);
        painter.drawText(
                QPointF(onPage / sheet.rows * sheet.stripWidth, sheet.ascent + (onPage % sheet.rows + 2) * sheet.line),
                text.toString());
        ++at;
    });
    return {static_cast<int>(pages), painter.end()};
}

} // namespace Printout
