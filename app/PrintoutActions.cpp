// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintoutActions.h"

#include "printout/PrintoutCopy.h"
#include "printout/PrintoutPages.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>

PrintoutActions::PrintoutActions(QWidget *window, Source source)
    : QObject(window)
    , m_window(window)
    , m_source(std::move(source))
    , m_saveText(new QAction(QStringLiteral("Als &Textdatei speichern …"), window))
    , m_print(new QAction(QStringLiteral("&Drucken …"), window))
    , m_pdf(new QAction(QStringLiteral("Als &PDF speichern …"), window))
{
    const struct
    {
        QAction *action;
        QKeySequence keys;
        void (PrintoutActions::*act)(const PrintoutDocument &);
    } actions[] = {
            {m_saveText, QKeySequence(Qt::CTRL | Qt::Key_S), &PrintoutActions::SaveAsText},
            {m_print, QKeySequence(Qt::CTRL | Qt::Key_P), &PrintoutActions::Print},
            {m_pdf, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), &PrintoutActions::SaveAsPdf},
    };
    for (const auto &[action, keys, act] : actions) {
        action->setShortcut(keys);
        action->setEnabled(false);
        window->addAction(action);
        connect(action, &QAction::triggered, this, [this, act = act] {
            if (const PrintoutDocument *document = m_source())
                (this->*act)(*document);
        });
    }
}

void PrintoutActions::Update(bool dialogsAllowed)
{
    const bool on = dialogsAllowed && m_source() != nullptr;
    for (QAction *action : Actions())
        action->setEnabled(on);
}

QString PrintoutActions::ProposedPath(const PrintoutDocument &document, const QString &suffix)
{
    // At home where there is no documents folder: the print dialog would
    // call a file in a missing folder write-protected.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(QFileInfo(documents).isDir() ? documents : QDir::homePath()).filePath(document.fileBase + suffix);
}

QString PrintoutActions::AskForFile(const PrintoutDocument &document, const QString &title, const QString &suffix,
                                    const QString &filter)
{
    return QFileDialog::getSaveFileName(m_window, title, ProposedPath(document, suffix), filter);
}

void PrintoutActions::SaveAsText(const PrintoutDocument &document)
{
    const QString path = AskForFile(document, QStringLiteral("Ausdruck als Textdatei speichern"),
                                    QStringLiteral(".txt"), QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray bytes = Printout::JoinLines(document.lines).toUtf8();
    SayCommitted(file, file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

void PrintoutActions::SayCommitted(QSaveFile &file, bool written)
{
    // Flushed first: a commit takes a failed last write for a whole file.
    if (written && file.flush() && file.commit())
        emit Said(QStringLiteral("Gespeichert: %1").arg(file.fileName()));
    else
        emit Said(QStringLiteral("Nicht gespeichert: %1: %2").arg(file.fileName(), file.errorString()));
}

void PrintoutActions::Print(const PrintoutDocument &document)
{
    QPrinter printer;
    printer.setDocName(document.fileBase);
    QPrintDialog dialog(&printer, m_window);
    // Printing to a file proposes the archive's name, as saving does; Qt's
    // dialog does so by itself only on X11. Its field has this name in Qt's
    // own dialog, and in no other: a different dialog keeps its proposal.
    if (auto *file = dialog.findChild<QLineEdit *>(QStringLiteral("filename")))
        file->setText(ProposedPath(document, QStringLiteral(".pdf")));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // To a file as a saved PDF is written: the printer would empty a file it
    // replaces before it knows whether the new one fits.
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        WritePdf(printer.outputFileName(), document, printer.pageLayout());
        return;
    }
    const Printout::Pages pages = Printout::PrintPages(printer, document.lines, document.Header());
    if (pages.count > Printout::MaxPages)
        SayTooManyPages(QStringLiteral("Nicht gedruckt"), pages.count);
    else if (!pages.printed)
        emit Said(QStringLiteral("Nicht gedruckt: der Drucker ließ sich nicht ansprechen"));
    else
        emit Said(QStringLiteral("An Drucker „%1“ übergeben: %2")
                          .arg(printer.printerName(), pages.count == 1 ? QStringLiteral("1 Seite")
                                                                       : QStringLiteral("%1 Seiten").arg(pages.count)));
}

void PrintoutActions::SaveAsPdf(const PrintoutDocument &document)
{
    const QString path = AskForFile(document, QStringLiteral("Ausdruck als PDF speichern"), QStringLiteral(".pdf"),
                                    QStringLiteral("PDF-Dateien (*.pdf)"));
    if (path.isEmpty())
        return;
    WritePdf(path, document, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
}

void PrintoutActions::WritePdf(const QString &path, const PrintoutDocument &document, const QPageLayout &layout)
{
    // Through a file that says whether it reached the disk: a PDF writer alone
    // reports pages it could not write as printed.
    QSaveFile file(path);
    Printout::Pages pages;
    if (file.open(QIODevice::WriteOnly)) {
        QPdfWriter writer(&file);
        writer.setPageLayout(layout);
        writer.setTitle(document.Header());
        pages = Printout::PrintPages(writer, document.lines, document.Header());
    }
    // Too many pages are refused before one is set: not committed, the file
    // it would replace stays as it is.
    if (pages.count > Printout::MaxPages)
        SayTooManyPages(QStringLiteral("Nicht gespeichert: %1").arg(path), pages.count);
    else
        SayCommitted(file, pages.printed);
}

void PrintoutActions::SayTooManyPages(const QString &notDone, int pages)
{
    emit Said(QStringLiteral("%1: %2 Seiten, mehr als %3 gehen nicht – als Textdatei speichern")
                      .arg(notDone)
                      .arg(pages)
                      .arg(Printout::MaxPages));
}
