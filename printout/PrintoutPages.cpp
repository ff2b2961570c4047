// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutPages.h"

#include "PrintoutCopy.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace Printout {

QStringList PaperLines(const QString &printoutText)
{
    QStringList lines;
    QStringList entries = printoutText.split(QLatin1StringView(LineEnd));
    if (entries.last().isEmpty()) // the last line's own end; split never gives an empty list
        entries.removeLast();
    for (const QString &entry : std::as_const(entries)) {
        qsizetype from = 0;
        do {
            lines << entry.mid(from, PaperColumns);
            from += PaperColumns;
        } while (from < entry.size());
    }
    return lines;
}

bool PrintPages(QPagedPaintDevice &device, const QString &printoutText, const QString &header)
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
        return false;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(PagePointSize);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const qreal line = metrics.lineSpacing();
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiY());

    // A header line and a blank one above the printout, a blank line and
    // the page number below it.
    const QStringList lines = PaperLines(printoutText);
    const qsizetype perPage = std::max<qsizetype>(1, static_cast<qsizetype>(page.height() / line) - 4);
    const qsizetype pages = std::max<qsizetype>(1, (lines.size() + perPage - 1) / perPage);
    for (qsizetype number = 1; number <= pages; ++number) {
        if (number > 1)
            device.newPage();
        painter.drawText(QPointF(0, metrics.ascent()), header);
        const QStringList onPage = lines.mid((number - 1) * perPage, perPage);
        for (qsizetype row = 0; row < onPage.size(); ++row)
            painter.drawText(QPointF(0, metrics.ascent() + (row + 2) * line), onPage[row]);
        if (pages > 1)
            painter.drawText(QPointF(0, metrics.ascent() + (perPage + 3) * line),
                             QStringLiteral("Seite %1 von %2").arg(number).arg(pages));
    }
    return painter.end();
}

} // namespace Printout
