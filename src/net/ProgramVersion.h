// The program's own version and the help server's file naming the latest one.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace ProgramVersion {
QString current();
QUrl fileUrl(const QString &helpHost);
// The version file's text: its bytes up to the first NUL, as UTF-8, untrimmed.
QString textOf(const QByteArray &body);
} // namespace ProgramVersion
