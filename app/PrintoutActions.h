// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printout/PrintoutDocument.h"

#include <QObject>
#include <QPageLayout>
#include <QSaveFile>

#include <functional>

class QAction;
class QWidget;

// What a window does with a printout: save its text, print it, make a PDF
// of it, each under the printout's own header and proposing the archive's
// name for it. The keys work anywhere in `window`, and menus show them.
class PrintoutActions final : public QObject
{
    Q_OBJECT

public:
    // The printout the actions act on now; none when there is none.
    using Source = std::function<const PrintoutDocument *()>;

    PrintoutActions(QWidget *window, Source source);

    QList<QAction *> Actions() const { return {m_saveText, m_print, m_pdf}; }
    // The actions are on when there is a printout and dialogs may open: a
    // dialog would hold up a running reset until it closes.
    void Update(bool dialogsAllowed);

    void SaveAsText(const PrintoutDocument &document);
    void Print(const PrintoutDocument &document);
    void SaveAsPdf(const PrintoutDocument &document);

signals:
    // What became of it, for the status line.
    void Said(const QString &text);

private:
    // Where a file of the printout is proposed: in the documents folder, else at home, under the archive's name.
    static QString ProposedPath(const PrintoutDocument &document, const QString &suffix);
    QString AskForFile(const PrintoutDocument &document, const QString &title, const QString &suffix,
                       const QString &filter);
    void WritePdf(const QString &path, const PrintoutDocument &document, const QPageLayout &layout);
    void SayTooManyPages(const QString &notDone, int pages);
    // Says whether `file`, written, reached the disk whole under its name.
    void SayCommitted(QSaveFile &file, bool written);

    QWidget *m_window;
    Source m_source;
    QAction *m_saveText;
    QAction *m_print;
    QAction *m_pdf;
};
