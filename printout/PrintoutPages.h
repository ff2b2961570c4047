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

struct Pages
{
    int count = 0;        // the pages the printout takes
    bool printed = false; // and set on the device: never more than MaxPages
};

// Sets the printout on pages in a fixed-width font, in as many strips of
// paper side by side as the page has room for, read strip after strip, with
// `header` atop every page and page numbers when there is more than one.
// Not printed when the device cannot be painted on, nor, untouched, when
// the printout takes more than MaxPages.
Pages PrintPages(QPagedPaintDevice &device, const ListEntries &lines, const QString &header);

} // namespace Printout
