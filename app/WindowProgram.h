// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTranslator;

// What the window program sets up before its first window: its name and icon
// for the desktop, and Qt's own words (dialog buttons, context menus) in
// German, as everything else the window says. False where Qt's translations
// are missing: those words then stay English.
bool SetUpWindowProgram(QTranslator &qtGerman);
