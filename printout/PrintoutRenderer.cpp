#include "PrintoutRenderer.h"

#include <QStringDecoder>

namespace Printout {
namespace {

// Hand the event loop a turn this often while stripping a large buffer.
constexpr qsizetype PumpEveryBytes = 64 * 1024;

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool IsEscapeLetter(char c)
{
    return c == 'K' || c == 'k';
}

void FinishLine(QByteArray &line, QList<QByteArray> &lines)
{
    if (line.isEmpty())
        line = EmptyLineText;
    if (line.startsWith(PrefixChar))
        line.remove(0, 1);
    if (line.size() >= 3 && line[0] == PrefixLetter && IsHexDigit(line[1]) && IsHexDigit(line[2]))
        line.remove(0, 3);
    if (line.size() <= LineWidth) {
        lines.append(line);
    } else {
        lines.append(line.left(LineWidth));
        lines.append(line.mid(LineWidth));
    }
    line.clear();
}

} // namespace

QByteArray RemoveEscapeSequences(QByteArrayView data, const Pump &pump)
{
    // `out` never holds a sequence except, while `pending`, an ESC and its
    // letter at its very end: then the next character completes it and all
    // three go. A removal can bring an ESC before it next to a new letter,
    // which the same rule then catches, so the leftmost-first order holds.
    QByteArray out;
    out.reserve(data.size());
    bool pending = false;
    bool removed = false;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (pending) {
            out.chop(2);
            pending = false;
            removed = true;
        } else if (IsEscapeLetter(c) && !out.isEmpty() && out.back() == Esc) {
            out.append(c);
            pending = true;
        } else {
            out.append(c);
        }
        if (pump && (i + 1) % PumpEveryBytes == 0)
            pump();
    }
    if (pending) { // the data ended inside a sequence: drop what there is of it
        out.chop(2);
        removed = true;
    }
    if (pump && removed)
        pump();
    return out;
}

QList<QByteArray> RenderLines(QByteArrayView input, const Pump &pump)
{
    QByteArray data = input.toByteArray();
    const qsizetype marker = data.indexOf(HeaderMarker) + 1; // 1-based, 0 when there is none
    if (marker > 0 && marker < HeaderLimit)
        data.remove(0, marker);
    if (marker != 0)
        data = RemoveEscapeSequences(data, pump);

    QList<QByteArray> lines;
    QByteArray line;
    for (const char c : std::as_const(data)) {
        const auto code = static_cast<unsigned char>(c);
        if (c == Filler || (code < PrintableLimit && c != Lf && c != Cr))
            continue;
        if (c != Cr && c != Lf)
            line.append(c);
        else
            FinishLine(line, lines);
    }
    // A last line without its line end is printout all the same.
    if (!line.isEmpty())
        FinishLine(line, lines);
    lines.append(QByteArray());
    return lines;
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid()) // a Qt without ICU: Latin-1 differs only in 0x80 to 0x9F
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

} // namespace Printout

void RenderPrintout(const QByteArray &rxBuffer, PrintoutList &list)
{
    const QList<QByteArray> lines = Printout::RenderLines(rxBuffer, [&list] { list.PumpEvents(); });
    for (const QByteArray &line : lines)
        list.AppendLine(Printout::DecodeWindows1252(line));
}
