// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The escape rule as first written: find the leftmost ESC followed by "K" or
// "k", remove it with the character after it, start again. Quadratic, and
// plainly right: the yardstick for the fast removal.
inline QByteArray RemoveEscapeSequencesPlainly(QByteArray data)
{
    qsizetype from = 0;
    for (;;) {
        qsizetype q = -1;
        for (qsizetype i = from; i + 1 < data.size(); ++i) {
            if (data[i] == '\x1b' && (data[i + 1] == 'K' || data[i + 1] == 'k')) {
                q = i;
                break;
            }
        }
        if (q < 0)
            return data;
        data.remove(q, 3);
        from = q > 0 ? q - 1 : 0; // nothing before q - 1 can have changed
    }
}
