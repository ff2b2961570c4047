// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/PrintoutList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace Printout {

inline constexpr char HeaderMarker = '!';
inline constexpr qsizetype HeaderLimit = 10; // a marker this far in is printout, not header
inline constexpr char Esc = 27;
inline constexpr unsigned char PrintableLimit = 32;
inline constexpr char Cr = 13;
inline constexpr char Lf = 10;
inline constexpr char Filler = '@';
inline constexpr char EmptyLineText[] = " ";
inline constexpr char PrefixChar = '\xE4'; // "ä" in Windows-1252
inline constexpr char PrefixLetter = 'K';
inline constexpr qsizetype LineWidth = 24;

using Pump = std::function<void()>;

// Removes every ESC followed by "K" or "k" together with the character after
// it, again and again while the removals bring new ones together, leftmost
// first. One pass, linear in the size of the data. `pump` runs now and then.
QByteArray RemoveEscapeSequences(QByteArrayView data, const Pump &pump = {});

using LineSink = std::function<void(QByteArrayView line)>;

// The list entries for the data of one reset, one call of `line` each (the
// view lasts for that call): header dropped, escape sequences and control
// characters removed, lines split at CR and LF, prefixes removed, long lines
// split, one empty entry last. Nothing per line is kept, so a printout of
// millions of lines costs no more than its own size.
void RenderLines(QByteArrayView data, const LineSink &line, const Pump &pump = {});

// The printout in `rxBuffer` as list entries, read as Windows-1252.
ListEntries RenderPrintout(QByteArrayView rxBuffer, const Pump &pump = {});

} // namespace Printout
