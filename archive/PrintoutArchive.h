// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Keeps every reset's printout on disk, since the machine's counters are gone
// once it has reset: the bytes as they arrived (.bin) and the text as the C
// key copies it (.txt, UTF-8), named by local time and port, e.g.
// 2026-12-06_14-32-05_COM1.bin. Every file is written whole or not at all.
class PrintoutArchive
{
public:
    static constexpr char FolderVariable[] = "ZELVORIN_ARCHIVE";
    static constexpr char IncompleteMark[] = "_unvollstaendig";

    // An empty folder keeps nothing.
    explicit PrintoutArchive(QString folder = QString());
    // ZELVORIN_ARCHIVE when it is set (empty: nothing is kept), else the
    // folder "Ausdrucke" in the user's application data.
    static QString FolderFromEnvironment();

    QString Folder() const { return m_folder; }
    bool IsEnabled() const { return !m_folder.isEmpty(); }

    struct Outcome
    {
        bool kept = false;
        QString binPath;
        QString reason; // in German, for the list
        QString detail; // the path and the system's words, for the terminal
    };
    // Stores the bytes of one reset and, when they are complete, their text.
    // Touches nothing but the files, so it may run on any thread.
    Outcome Keep(const QByteArray &received, const QString &port, const QDateTime &when, bool complete) const;

    // "2026-12-06_14-32-05_COM1": how files of that reset are named.
    static QString FileStem(const QDateTime &when, const QString &port);
    // The text the C key copies of one reset, in UTF-8: its blank line after
    // the status lines, then the printout.
    static QByteArray PrintoutText(const QByteArray &received);

private:
    QString m_folder;
};
