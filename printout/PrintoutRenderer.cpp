// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutRenderer.h"

#include "Windows1252.h"

namespace Printout {
namespace {

// Hand the event loop a turn this often while going through a large buffer.
constexpr qsizetype PumpEveryBytes = 64 * 1024;
// A longer line is decoded a slice of this many characters at a time.
constexpr qsizetype BatchCharacters = 64 * 1024;

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool IsEscapeLetter(char c)
{
    return c == 'K' || c == 'k';
}

// Hands on the entries for one finished line, given as [begin, end).
void FinishLine(const char *begin, const char *end, const LineSink &line)
{
    if (begin == end) {
        line(QByteArrayView(EmptyLineText));
        return;
    }
    if (*begin == PrefixChar)
        ++begin;
    if (end - begin >= 3 && begin[0] == PrefixLetter && IsHexDigit(begin[1]) && IsHexDigit(begin[2]))
        begin += 3;
    if (end - begin <= LineWidth) {
        line(QByteArrayView(begin, end));
    } else {
        line(QByteArrayView(begin, LineWidth));
        line(QByteArrayView(begin + LineWidth, end));
    }
}

// The escape removal over `data` itself (what it keeps is never longer than
// what it has read); returns the new size.
qsizetype RemoveEscapeSequencesInPlace(char *data, qsizetype size, const Pump &pump)
{
    // data[0, kept) never holds a sequence except, while `pending`, an ESC and
    // its letter at its very end: then the next character completes it and
    // all three go. A removal can bring an ESC before it next to a new
    // letter, which the same rule then catches, so the leftmost-first order
    // of the repeated rule holds.
    qsizetype kept = 0;
    bool pending = false;
    qsizetype untilPump = PumpEveryBytes;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (pending) {
            kept -= 2;
            pending = false;
        } else {
            pending = IsEscapeLetter(c) && kept > 0 && data[kept - 1] == Esc;
            data[kept++] = c;
        }
        if (--untilPump == 0) {
            untilPump = PumpEveryBytes;
            if (pump)
                pump();
        }
    }
    if (pending) // the data ended inside a sequence: drop what there is of it
        kept -= 2;
    return kept;
}

} // namespace

QByteArray RemoveEscapeSequences(QByteArrayView data, const Pump &pump)
{
    QByteArray out = data.toByteArray();
    out.truncate(RemoveEscapeSequencesInPlace(out.data(), out.size(), pump));
    return out;
}

void RenderLines(QByteArrayView input, const LineSink &line, const Pump &pump)
{
    QByteArray data = input.toByteArray();
    const qsizetype marker = data.indexOf(HeaderMarker) + 1; // 1-based, 0 when there is none
    if (marker < HeaderLimit)
        data.remove(0, marker); // nothing when there is none
    if (marker != 0)
        data.truncate(RemoveEscapeSequencesInPlace(data.data(), data.size(), pump));

    // Lines are gathered in place, each right after the one before: what is
    // kept is never longer than what has been read.
    char *const text = data.data();
    const qsizetype size = data.size();
    char *lineStart = text;
    char *lineEnd = text;
    for (qsizetype i = 0; i < size; ++i) {
        if (pump && i % PumpEveryBytes == PumpEveryBytes - 1)
            pump();
        const char c = text[i];
        const auto code = static_cast<unsigned char>(c);
        if (c == Filler || (code < PrintableLimit && c != Lf && c != Cr))
            continue;
        if (c != Cr && c != Lf) {
            *lineEnd++ = c;
        } else {
            FinishLine(lineStart, lineEnd, line);
            lineStart = lineEnd;
        }
    }
    // A last line without its line end is printout all the same.
    if (lineEnd != lineStart)
        FinishLine(lineStart, lineEnd, line);
    line(QByteArrayView(""));
}

ListEntries RenderPrintout(QByteArrayView rxBuffer, const Pump &pump)
{
    ListEntries entries;
    // Never more characters than bytes, and about an entry for each line end.
    entries.Reserve(rxBuffer.size(), rxBuffer.count(Cr) + rxBuffer.count(Lf) + 1);
    RenderLines(
            rxBuffer,
            [&](QByteArrayView line) {
                // A line of megabytes is read a slice at a time, with the window's events in between.
                entries.AppendWindows1252(line.first(std::min(line.size(), BatchCharacters)));
                for (qsizetype from = BatchCharacters; from < line.size(); from += BatchCharacters) {
                    if (pump)
                        pump();
                    entries.AppendWindows1252(line.sliced(from, std::min(BatchCharacters, line.size() - from)), true);
                }
            },
            pump);
    return entries;
}

} // namespace Printout
