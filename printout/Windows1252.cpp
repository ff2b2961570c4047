// SPDX-License-Identifier: GPL-3.0-or-later
#include "Windows1252.h"

#include <QStringDecoder>

#include <algorithm>
#include <numeric>

namespace Printout {

CharacterTable BuiltInWindows1252()
{
    static constexpr char16_t From0x80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    CharacterTable table;
    std::iota(table.begin(), table.end(), char16_t(0)); // Latin-1
    std::copy(std::begin(From0x80), std::end(From0x80), table.begin() + 0x80);
    return table;
}

const CharacterTable &Windows1252()
{
    static const CharacterTable table = [] {
        QStringDecoder decoder("windows-1252");
        if (!decoder.isValid())
            return BuiltInWindows1252();
        CharacterTable decoded;
        QByteArray every(decoded.size(), Qt::Uninitialized);
        std::iota(every.begin(), every.end(), '\0');
        const QString text = decoder.decode(every);
        if (text.size() != every.size())
            return BuiltInWindows1252();
        std::transform(text.cbegin(), text.cend(), decoded.begin(), [](QChar c) { return c.unicode(); });
        return decoded;
    }();
    return table;
}

QChar *DecodeWindows1252(QByteArrayView bytes, QChar *out)
{
    const CharacterTable &table = Windows1252();
    for (const char byte : bytes)
        *out++ = QChar(table[static_cast<uchar>(byte)]);
    return out;
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    DecodeWindows1252(bytes, text.data());
    return text;
}

} // namespace Printout
