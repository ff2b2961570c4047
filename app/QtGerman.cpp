// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtGerman.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtGerman(QTranslator &translator)
{
    return translator.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
           && QCoreApplication::installTranslator(&translator);
}
