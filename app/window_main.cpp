// SPDX-License-Identifier: GPL-3.0-or-later
// zelvorin-window: the window, started by zelvorin when it has no options.

#include "app/Form1.h"
#include "app/TerminationSignals.h"
#include "app/WindowProgram.h"

#include <QApplication>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int NoDisplayExitStatus = 5;

QStringList g_startupMessages;

// Qt ends a program it cannot give a display with an abort and English words
// about plugins; this says in German what is missing, and keeps Qt's words
// below, since they name the cause (no display, a library the plugin lacks).
void HoldStartupMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    g_startupMessages << qFormatLogMessage(type, context, message);
    if (type != QtFatalMsg)
        return;
    std::fputs("zelvorin: Das Fenster braucht eine grafische Sitzung (X11 oder Wayland), "
               "und hier ist keine erreichbar.\n"
               "Ohne Fenster geht es so: zelvorin --reset COM1 (mehr mit zelvorin --help).\n"
               "Qt meldet:\n",
               stderr);
    for (const QString &held : std::as_const(g_startupMessages))
        std::fprintf(stderr, "  %s\n", qPrintable(QString(held).replace(u'\n', QStringLiteral("\n  "))));
    std::_Exit(NoDisplayExitStatus);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(HoldStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString &message : std::as_const(g_startupMessages))
        std::fprintf(stderr, "%s\n", qPrintable(message));

    QTranslator qtGerman;
    SetUpWindowProgram(qtGerman);

    Form1 form(PortDirectory::FromSystem(), PrintoutArchive(PrintoutArchive::FolderFromEnvironment()));
    // A signal closes the window as its close box does: a running reset
    // winds down first, with its SYN sent and what arrived kept.
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::Received, &form, &QWidget::close);
    form.show();
    return app.exec();
}
