#include "PrintoutCopy.h"

#include <QClipboard>

QString Printout::ClipboardText(const QStringList &entries)
{
    QString text;
    for (const QString &entry : entries) {
        if (entry.startsWith(QLatin1StringView(StatusPrefix)))
            continue;
        text += entry;
        text += QLatin1StringView(LineEnd);
    }
    return text;
}

void CopyPrintout(int keyCode, const QStringList &entries, QClipboard *clipboard)
{
    if (keyCode != Printout::CopyKeyCode || clipboard == nullptr)
        return;
    const QString text = Printout::ClipboardText(entries);
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
}
