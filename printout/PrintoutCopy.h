#pragma once

#include <QString>
#include <QStringList>

class QClipboard;

namespace Printout {

inline constexpr int CopyKeyCode = 67; // the C key, whatever modifiers are held
inline constexpr char StatusPrefix[] = "***";
inline constexpr char LineEnd[] = "\r\n";

// Every entry that is not a status line, each followed by CR LF.
QString ClipboardText(const QStringList &entries);

} // namespace Printout

// On the C key: replaces the clipboard's content with the printout lines of
// `entries`. Any other key does nothing; a clipboard that cannot be written
// is passed over in silence.
void CopyPrintout(int keyCode, const QStringList &entries, QClipboard *clipboard);
