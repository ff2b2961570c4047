// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

// Keeps every reset's printout on disk, since the machine's counters are gone
// once it has reset: the bytes as they arrived (.bin) and the printout's text
// (.txt, UTF-8), named by the local time the reset began and its port, e.g.
// 2026-12-06_14-32-05_COM1.bin. No file is ever written over another, not
// even by another Zelvorin writing to the same folder.
class PrintoutArchive
{
public:
    static constexpr char FolderVariable[] = "ZELVORIN_ARCHIVE";
    static constexpr char IncompleteMark[] = "_unvollstaendig";
    static constexpr char CutOffMark[] = "_abgeschnitten";

    // The folder in the file system's own bytes, which need not be UTF-8. An
    // empty folder keeps nothing.
    explicit PrintoutArchive(QByteArray folder = QByteArray());
    explicit PrintoutArchive(const QString &folder)
        : PrintoutArchive(QFile::encodeName(folder))
    {}
    // ZELVORIN_ARCHIVE when it is set (empty: nothing is kept), else the
    // folder "Ausdrucke" in the user's application data.
    static QByteArray FolderFromEnvironment();

    QByteArray FolderPath() const { return m_folder; }
    // The folder as people read it.
    QString Folder() const { return QFile::decodeName(m_folder); }
    bool IsEnabled() const { return !m_folder.isEmpty(); }

    // "2026-12-06_14-32-05_COM1": how the files of a reset are named.
    static QString FileStem(const QDateTime &began, const QString &port);

    // Keeps, as incomplete printouts, the bytes that runs killed during a
    // reset left behind; a reset still running elsewhere is left alone.
    // Returns the files kept.
    QStringList KeepAbandoned() const;

private:
    QByteArray m_folder;
};
