// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTranslator;

// Qt's own words in the window (dialog buttons, context menus) in German, as
// everything else the window says. False where Qt's translations are missing:
// those words then stay English.
bool InstallQtGerman(QTranslator &translator);
