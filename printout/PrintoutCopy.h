// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QString>

namespace Printout {

inline constexpr int CopyKeyCode = 67;    // the C key, whatever modifiers are held
inline constexpr char LineEnd[] = "\r\n"; // on the clipboard and in text files

struct Copy
{
    QString text;
    qsizetype lines = 0;  // entries in the text
    bool hasText = false; // some entry is more than blanks
};
// Every entry that is not a status line, each followed by CR LF: the printout
// as the C key copies it.
Copy ClipboardText(const ListEntries &entries);
// The same lines as one text, each followed by `lineEnd`.
QString JoinLines(const ListEntries &lines, QLatin1StringView lineEnd = QLatin1StringView(LineEnd));

} // namespace Printout
