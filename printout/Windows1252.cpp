// SPDX-License-Identifier: GPL-3.0-or-later
#include "Windows1252.h"

#include <QStringDecoder>

namespace Printout {

CharacterTable BuiltInWindows1252()
{
    static constexpr char16_t From0x80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    CharacterTable table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = byte >= 0x80 && byte < 0xA0 ? From0x80[byte - 0x80] : char16_t(byte);
    return table;
}

const CharacterTable &Windows1252()
{
    static const CharacterTable table = [] {
        QStringDecoder decoder("windows-1252");
        if (!decoder.isValid())
            return BuiltInWindows1252();
        QByteArray every(256, '\0');
        for (int byte = 0; byte < 256; ++byte)
            every[byte] = char(byte);
        const QString text = decoder.decode(every);
        if (text.size() != every.size())
            return BuiltInWindows1252();
        CharacterTable decoded{};
        for (int byte = 0; byte < 256; ++byte)
            decoded[byte] = text.at(byte).unicode();
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
