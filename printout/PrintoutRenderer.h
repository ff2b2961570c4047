#pragma once

#include "printout/PrintoutList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
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

// The list entries of one printout, as bytes. They all live in one buffer,
// so that a large printout costs no allocation per line.
class RenderedLines
{
public:
    qsizetype size() const { return m_lines.size(); }
    QByteArrayView operator[](qsizetype index) const { return m_lines[index]; }
    auto begin() const { return m_lines.cbegin(); }
    auto end() const { return m_lines.cend(); }
    QList<QByteArray> ToList() const;

private:
    friend RenderedLines RenderLines(QByteArrayView data, const Pump &pump);
    QByteArray m_text;              // never changed once filled: the views stay valid
    QList<QByteArrayView> m_lines;  // slices of m_text, or of constant texts
};

// The list entries for the data of one reset: header dropped, escape
// sequences and control characters removed, lines split at CR and LF,
// prefixes removed, long lines split, one empty entry last.
RenderedLines RenderLines(QByteArrayView data, const Pump &pump = {});

// Bytes as the Windows-1252 text they are (0xE4 is "ä", 0x80 is "€").
QString DecodeWindows1252(QByteArrayView bytes);

} // namespace Printout

// Appends the printout in `rxBuffer` to the window's list.
void RenderPrintout(const QByteArray &rxBuffer, PrintoutList &list);
