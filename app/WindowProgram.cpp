// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowProgram.h"

#include "app/Application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

bool SetUpWindowProgram(QTranslator &qtGerman)
{
    QApplication::setApplicationName(QLatin1StringView(ApplicationName));
    QApplication::setDesktopFileName(QLatin1StringView(DesktopFileName));
    QIcon icon;
    for (const char *size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/icons/zelvorin-%1.png").arg(QLatin1StringView(size)));
    QApplication::setWindowIcon(icon);
    return qtGerman.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
           && QCoreApplication::installTranslator(&qtGerman);
}
