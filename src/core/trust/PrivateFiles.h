// Files and folders a user may trust: whether a place is this user's own, and keeping what is
// kept there private (folders only this user may enter, files only this user may read), written
// never through a link nor over what someone else put there.
#pragma once

#include <QByteArray>
#include <QString>

namespace PrivateFiles {
// Whether this program may keep files in folder: it belongs to this program's user, and no
// folder above it to another user than this one or root. Always on Windows, where write access
// alone decides.
bool isOwnPlace(const QString &folder);
#ifndef Q_OS_WIN
// Whether another user has a say along path: it, or a folder above it, belongs to someone other
// than this program's user and root, or others could put something where a folder of it is
// still missing, or move a folder of it away.
bool othersHaveSayAlong(const QString &path);
// Whether root alone may change path: it, every folder above it, and where it leads past every
// link belong to root, and nobody else may write them (a folder above may let others add files
// where its sticky bit keeps them from moving what is there). Never a relative path, nor one
// with "." or "..".
bool onlyRootMayChange(const QString &path);
#endif

// Makes folder, and those above it that are missing, a folder that only this user may enter
// (0700); an existing one of this user (0755 from an earlier version) is made so too, through
// the opened folder. False, with why, for a link, another user's folder or one that cannot be
// made.
bool makePrivate(const QString &folder, QString *error);
// Makes an existing file of this user readable by this user only (0644 becomes 0600), through
// the opened file: a link, or another user's file, is left as it is.
void makeFilePrivate(const QString &path);

// Writes bytes to a new file that only this user may read (0600); never through a link, never
// over an existing file. False, with why, when it cannot.
bool writeNew(const QString &path, const QByteArray &bytes, QString *error);
// Adds bytes at the end of path, made private if new, in one write that always lands at the
// end: two programs that append at once never overwrite each other's bytes.
bool append(const QString &path, const QByteArray &bytes, QString *error);
} // namespace PrivateFiles
