// The firmware package: where the help server offers it and how a download is stored.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace FirmwarePackage {
// The whole package is held in memory; anything larger than this is refused.
constexpr qint64 maximumSize = 64 * 1024 * 1024;

QUrl downloadUrl(const QString &helpHost);

// A zip archive starts with a local file header and ends with an end-of-central-directory
// record, which with its longest comment fills at most the last 65,557 bytes. A web page stored
// in the package's place (a captive portal's, say) or a download cut short fails this check.
bool isZipArchive(const QByteArray &bytes);
// The same check on a file: false unless path names a readable regular file that passes it.
bool isZipFile(const QString &path);

// Replaces the file at path with body, whole or not at all: the body goes to a temporary file
// beside it that takes the old file's place only once every byte is written. Returns false
// (and sets error) when that could not be done; the old file is then untouched.
bool store(const QString &path, const QByteArray &body, QString *error);

// The local path of a file URL from a file dialog; any other text comes back unchanged.
QString pathFromUrl(const QString &urlString);
} // namespace FirmwarePackage
