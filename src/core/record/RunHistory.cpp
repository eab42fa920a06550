// The runs told afterwards (see RunHistory.h).
#include "RunHistory.h"

#include "RunRecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>
#include <QVector>

namespace {
constexpr int keptLogs = 20;

// Files are named by when they began, so that the oldest sort first.
QString logName(const QDateTime &started)
{
    return QStringLiteral("run-%1-%2.log")
        .arg(started.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
        .arg(QCoreApplication::applicationPid());
}

QString fileError(const QFileDevice &file)
{
    return file.fileName() + QStringLiteral(": ") + file.errorString();
}

QString duration(double milliseconds)
{
    return milliseconds < 1000 ? QStringLiteral("%1 ms").arg(milliseconds)
                               : QStringLiteral("%1 s").arg(milliseconds / 1000, 0, 'f', 1);
}

QString sizeText(double bytes)
{
    return bytes < 1024 * 1024 ? QStringLiteral("%1 KiB").arg(bytes / 1024, 0, 'f', 1)
                               : QStringLiteral("%1 MiB").arg(bytes / 1024 / 1024, 0, 'f', 1);
}
} // namespace

QString RunHistory::folder()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("OVK Sensor Updater");
#else
    const QString name = QStringLiteral("ovk-sensor-updater");
#endif
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(name);
}

QString RunHistory::logFolder()
{
    return QDir(folder()).filePath(QStringLiteral("logs"));
}

QString RunHistory::historyFile()
{
    return QDir(folder()).filePath(QStringLiteral("history.jsonl"));
}

bool RunHistory::keep(const RunRecord &record, QString *error)
{
    QDir logs(logFolder());
    if (!logs.mkpath(QStringLiteral("."))) {
        *error = logs.path() + QStringLiteral(": cannot be made");
        return false;
    }
    const QString name = logName(record.started());
    QSaveFile log(logs.filePath(name));
    if (!log.open(QIODevice::WriteOnly) || log.write(record.logText().toUtf8()) < 0 ||
        !log.commit()) {
        *error = fileError(log);
        return false;
    }
    const QStringList older =
        logs.entryList({QStringLiteral("run-*.log")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString &old : older.mid(keptLogs))
        logs.remove(old);

    QJsonObject entry = record.summary();
    entry.insert(QStringLiteral("log"), name);
    // One write of one line: two programs of one user that end at once do not mix theirs.
    QFile history(historyFile());
    if (!history.open(QIODevice::WriteOnly | QIODevice::Append) ||
        history.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n') < 0) {
        *error = fileError(history);
        return false;
    }
    return true;
}

QList<QJsonObject> RunHistory::entries()
{
    QList<QJsonObject> found;
    QFile history(historyFile());
    if (!history.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray &line : history.readAll().split('\n')) {
        const QJsonDocument entry = QJsonDocument::fromJson(line);
        if (entry.isObject())
            found.append(entry.object());
    }
    return found;
}

QString RunHistory::table(const QList<QJsonObject> &entries)
{
    QList<QStringList> rows{{QStringLiteral("When"), QStringLiteral("Program"),
                             QStringLiteral("Sensor"), QStringLiteral("Package"),
                             QStringLiteral("Outcome"), QStringLiteral("Steps")}};
    for (const QJsonObject &entry : entries) {
        const QJsonObject package = entry.value(QStringLiteral("package")).toObject();
        QStringList steps;
        const QJsonArray times = entry.value(QStringLiteral("steps")).toArray();
        for (const QJsonValue &step : times)
            steps << step[QStringLiteral("step")].toString() + QLatin1Char(' ') +
                         duration(step[QStringLiteral("ms")].toDouble());
        QString packageText = package.value(QStringLiteral("file")).toString();
        if (package.contains(QStringLiteral("sha256")))
            packageText += QStringLiteral(" (%1, %2, SHA-256 %3)")
                               .arg(sizeText(package.value(QStringLiteral("size")).toDouble()),
                                    package.value(QStringLiteral("date")).toString(),
                                    package.value(QStringLiteral("sha256")).toString().left(12));
        rows.append(
            {QDateTime::fromString(entry.value(QStringLiteral("when")).toString(), Qt::ISODate)
                 .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
             entry.value(QStringLiteral("program")).toString() + QLatin1Char(' ') +
                 entry.value(QStringLiteral("version")).toString(),
             entry.value(QStringLiteral("sensor")).toString(), packageText,
             QStringLiteral("%1 (%2)")
                 .arg(entry.value(QStringLiteral("words")).toString())
                 .arg(entry.value(QStringLiteral("code")).toInt()),
             steps.join(QStringLiteral(", "))});
    }
    QVector<int> widths(rows.first().size(), 0);
    for (const QStringList &row : rows)
        for (int column = 0; column < row.size(); ++column)
            widths[column] = qMax(widths[column], row[column].size());
    QStringList lines;
    for (const QStringList &row : rows) {
        QString line;
        for (int column = 0; column < row.size(); ++column)
            line += column + 1 < row.size() ? row[column].leftJustified(widths[column] + 2)
                                            : row[column];
        lines.append(line.trimmed());
    }
    return lines.join(QLatin1Char('\n'));
}
