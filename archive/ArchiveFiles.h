// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/FileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The file operations the archive is made of, in the file system's own bytes.
// Each returns 0 or an error number.
namespace ArchiveFiles {

int WriteAll(int descriptor, QByteArrayView bytes);
// The folder and those above it, made where missing.
int MakeFolders(const QByteArray &folder);
// A rename or a new name is durable only once the folder itself is on disk.
void SyncFolder(const QByteArray &folder);
// A new file at `path` that writes go to the end of, with the mode the umask
// gives, locked before anyone can see it: no other start ever takes it for a leftover.
int CreateLocked(const QByteArray &path, FileDescriptor &file);
// A new file at `path` holding `bytes`, synced, never over another file; in
// part under its name at no moment.
int WriteNewFile(const QByteArray &path, QByteArrayView bytes);
// A file that no running program holds, opened and locked now; none when it
// is locked, or no longer under its name (another start took it meanwhile).
FileDescriptor OpenAbandoned(const QByteArray &path, int flags);
// What is in the file from its start.
QByteArray ReadAll(int descriptor);
// The names in `folder` that begin with a dot, but for "." and "..".
QList<QByteArray> HiddenNames(const QByteArray &folder);
// `path` made absolute against the working folder, so that another process
// reads it the same.
QByteArray AbsolutePath(const QByteArray &path);
// The reason for a failure to write (an errno), in German.
QString GermanReason(int error);

} // namespace ArchiveFiles
