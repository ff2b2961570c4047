// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>

namespace Printout {

using CharacterTable = std::array<char16_t, 256>;

// The character of every byte in Windows-1252 (0xE4 is "ä", 0x80 is "€"):
// Latin-1 but for 0x80 to 0x9F. The five codes Windows-1252 leaves open keep
// their number, as the system's converter does; our own table, so that a Qt
// without one (a build without ICU) reads the same.
const CharacterTable &Windows1252();

QString DecodeWindows1252(QByteArrayView bytes);
// The same into `out`, which has room for every byte; returns the end.
QChar *DecodeWindows1252(QByteArrayView bytes, QChar *out);

} // namespace Printout
