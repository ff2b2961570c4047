// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QPagedPaintDevice;

namespace Printout {

inline constexpr int PaperColumns = 24; // as wide as the machine's printer
inline constexpr qreal PagePointSize = 11;
inline constexpr qreal PageMarginMm = 15; // at the least, on every side

// The printout text (as the C key copies it) in lines as the machine's paper
// holds them: longer lines go on in the next one.
QStringList PaperLines(const QString &printoutText);

// Sets the printout on pages in a fixed-width font, with `header` atop every
// page and page numbers when there is more than one. False when the device
// cannot be painted on.
bool PrintPages(QPagedPaintDevice &device, const QString &printoutText, const QString &header);

} // namespace Printout
