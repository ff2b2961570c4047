// SPDX-License-Identifier: GPL-3.0-or-later
#include "Windows1252.h"

#include <algorithm>
#include <numeric>

namespace Printout {

const CharacterTable &Windows1252()
{
    static constexpr char16_t From0x80[32] = {
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    static const CharacterTable table = [] {
        CharacterTable latin1;
        std::iota(latin1.begin(), latin1.end(), char16_t(0));
        std::copy(std::begin(From0x80), std::end(From0x80), latin1.begin() + 0x80);
        return latin1;
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
