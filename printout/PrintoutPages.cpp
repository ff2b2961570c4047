// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutPages.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace Printout {

QStringList PaperLines(const ListEntries &lines)
{
    QStringList paper;
    lines.ForEach([&paper](QStringView line) {
        qsizetype from = 0;
        do {
            paper << line.mid(from, PaperColumns).toString();
            from += PaperColumns;
        } while (from < line.size());
    });
    // The list's last entry is the empty one that ends every printout: no line on paper.
    if (!paper.isEmpty() && paper.last().isEmpty())
        paper.removeLast();
    return paper;
}

int PrintPages(QPagedPaintDevice &device, const ListEntries &lines, const QString &header)
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

    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(PagePointSize);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const qreal line = metrics.lineSpacing();
    const qreal column = metrics.horizontalAdvance(QLatin1Char('W'));
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());

    // A header line and a blank one above the printout, a blank line and
    // the page number below it; strips of paper side by side between.
    const QStringList paper = PaperLines(lines);
    const qreal stripWidth = (PaperColumns + StripGapColumns) * column;
    const qsizetype strips = std::max<qsizetype>(
            1, static_cast<qsizetype>((page.width() + StripGapColumns * column) / stripWidth));
    const qsizetype rows = std::max<qsizetype>(1, static_cast<qsizetype>(page.height() / line) - 4);
    const qsizetype perPage = strips * rows;
    const qsizetype pages = std::max<qsizetype>(1, (paper.size() + perPage - 1) / perPage);
    for (qsizetype number = 1; number <= pages; ++number) {
        if (number > 1)
            device.newPage();
        painter.drawText(QPointF(0, metrics.ascent()), header);
        const qsizetype first = (number - 1) * perPage;
        for (qsizetype at = first; at < std::min(paper.size(), first + perPage); ++at) {
            const qsizetype strip = (at - first) / rows;
            const qsizetype row = (at - first) % rows;
            painter.drawText(QPointF(strip * stripWidth, metrics.ascent() + (row + 2) * line), paper[at]);
        }
        if (pages > 1)
            painter.drawText(QPointF(0, metrics.ascent() + (rows + 3) * line),
                             QStringLiteral("Seite %1 von %2").arg(number).arg(pages));
    }
    return painter.end() ? static_cast<int>(pages) : 0;
}

} // namespace Printout
