// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/ListEntries.h"

#include <QString>

namespace Printout {

inline constexpr int CopyKeyCode = 67; // the C key, whatever modifiers are held
inline constexpr char StatusPrefix[] = "***";
inline constexpr char LineEnd[] = "\r\n";

// Every entry that is not a status line, each followed by CR LF: the printout
// as the C key copies it.
QString ClipboardText(const ListEntries &entries);
// Whether the C key would copy anything.
bool HasPrintout(const ListEntries &entries);

} // namespace Printout
