// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QString>

class QPagedPaintDevice;

namespace Printout {

inline constexpr int PaperColumns = 24;   // as wide as the machine's printer
inline constexpr int StripGapColumns = 2; // between two strips of paper side by side
inline constexpr qreal PagePointSize = 11;
inline constexpr qreal PageMarginMm = 15; // at the least, on every side
// More pages than this are not printed: a printout that long is a fault or
// a flood, each thousand pages would hold the window for about a second,
// and its text file holds any length.
inline constexpr int MaxPages = 1000;

// The number of pages PrintPages sets the printout on, found without
// setting it.
int CountPages(QPagedPaintDevice &device, const ListEntries &lines);

// Sets the printout on pages in a fixed-width font, in as many strips of
// paper side by side as the page has room for, read strip after strip, with
// `header` atop every page and page numbers when there is more than one.
// The number of pages, or 0 when the device cannot be painted on.
int PrintPages(QPagedPaintDevice &device, const ListEntries &lines, const QString &header);

} // namespace Printout
