// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

// Where every reset's printout is kept, since the machine's counters are gone
// once it has reset: the bytes as they arrived (.bin) and the printout's text
// (.txt, UTF-8), named as ArchiveNames says. No file is ever written over
// another, not even by another Zelvorin writing to the same folder.
class PrintoutArchive
{
public:
    static constexpr char FolderVariable[] = "ZELVORIN_ARCHIVE";

    // The folder in the file system's own bytes, which need not be UTF-8. An
    // empty folder keeps nothing.
    explicit PrintoutArchive(QByteArray folder = QByteArray())
        : m_folder(std::move(folder))
    {}
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

    // Keeps what runs that ended during a reset left behind: from their
    // journals every byte that came, else what reached the working file.
    // A reset still running elsewhere is left alone. Returns the files kept.
    QStringList KeepAbandoned() const;

private:
    QByteArray m_folder;
};
