// The runs told afterwards (see RunHistory.h).
#include "RunHistory.h"

#include "PrintableText.h"
#include "PrivateFiles.h"
#include "RunRecord.h"
#include "UserFolders.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QVector>
#include <algorithm>
#include <cstring>

namespace {
constexpr int keptLogs = 20;
constexpr qint64 backwardChunk = 64 * 1024;
constexpr qint64 countingChunk = 1024 * 1024;

// Files are named by when they began in UTC, so that name order is age order, also across the
// night the clocks go back. Two runs of one program that began in the same millisecond (two
// sensors) are numbered.
QString logName(const QDir &logs, const QDateTime &started)
{
    const QString name =
        QStringLiteral("update-%1-%2")
            .arg(started.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'")))
            .arg(QCoreApplication::applicationPid());
    QString numbered = name + QStringLiteral(".log");
    for (int number = 2; logs.exists(numbered); ++number)
        numbered = QStringLiteral("%1-%2.log").arg(name).arg(number);
    return numbered;
}

QStringList sortedNames(const QDir &folder, const QString &pattern)
{
    QStringList names = folder.entryList({pattern}, QDir::Files);
    std::sort(names.begin(), names.end());
    return names;
}

// Keeps the newest logs. Earlier versions named theirs by local time ("run-..."): every one of
// those is older than the first named by UTC, and goes first.
void pruneLogs(QDir logs)
{
    const QStringList byAge = sortedNames(logs, QStringLiteral("run-*.log")) +
                              sortedNames(logs, QStringLiteral("update-*.log"));
    for (int index = 0; index < byAge.size() - keptLogs; ++index)
        logs.remove(byAge[index]);
}

// How many lines the first size bytes of file hold: each newline that ends one that is not
// empty, and a last line without one. Counted, not parsed: 40 MB take milliseconds.
qint64 countLines(QFile &file, qint64 size)
{
    qint64 lines = 0;
    char previous = '\n';
    QByteArray chunk(int(qMin(size, countingChunk)), Qt::Uninitialized);
    file.seek(0);
    for (qint64 left = size; left > 0;) {
        const qint64 got = file.read(chunk.data(), qMin<qint64>(left, chunk.size()));
        if (got <= 0)
            break;
        const char *at = chunk.constData();
        const char *const end = at + got;
        while (const void *found = std::memchr(at, '\n', size_t(end - at))) {
            const char *newline = static_cast<const char *>(found);
            if ((newline == chunk.constData() ? previous : newline[-1]) != '\n')
                ++lines;
            at = newline + 1;
        }
        previous = end[-1];
        left -= got;
    }
    return previous == '\n' ? lines : lines + 1;
}

// The lines of a file from a point back to its start, empty ones left out, read in chunks from
// the end: the last runs of a long history cost what they are, not what the file is.
class LinesFromEnd
{
public:
    LinesFromEnd(QFile &file, qint64 end)
        : file(file)
        , position(end)
    {}

    bool previous(QByteArray *line)
    {
        for (;;) {
            int newline = pending.lastIndexOf('\n');
            while (newline < 0 && position > 0) {
                readEarlierChunk();
                newline = pending.lastIndexOf('\n');
            }
            if (newline < 0 && pending.isEmpty())
                return false;
            *line = pending.mid(newline + 1);
            pending.truncate(qMax(newline, 0));
            if (!line->isEmpty())
                return true;
        }
    }

private:
    void readEarlierChunk()
    {
        const qint64 from = qMax<qint64>(0, position - backwardChunk);
        const QByteArray chunk = file.seek(from) ? file.read(position - from) : QByteArray();
        // A file cut shorter meanwhile ends the reading where it is.
        position = chunk.size() == position - from ? from : 0;
        pending.prepend(chunk);
    }

    QFile &file;
    qint64 position; // where the bytes not read yet end
    QByteArray pending;
};

// The table's words for a person; the history itself keeps English words and stable names.
QString words(const char *source)
{
    return QCoreApplication::translate("RunHistory", source);
}

QString earlierRunsLine(qint64 earlier)
{
    return earlier == 1 ? words(QT_TRANSLATE_NOOP("RunHistory", "1 earlier run is not shown."))
                        : words(QT_TRANSLATE_NOOP("RunHistory", "%1 earlier runs are not shown."))
                              .arg(earlier);
}

// A step's name as the history keeps it ("restart"), in words.
QString stepName(const QString &key)
{
    //: The steps of an update, in the history's table: waiting for the firmware package,
    //: restarting the sensor, looking for its bootloader, writing the firmware, waiting for
    //: another sensor's flashing tool to finish.
    static const char *const names[] = {
        QT_TRANSLATE_NOOP("RunHistory", "package"), QT_TRANSLATE_NOOP("RunHistory", "restart"),
        QT_TRANSLATE_NOOP("RunHistory", "bootloader"), QT_TRANSLATE_NOOP("RunHistory", "writing"),
        QT_TRANSLATE_NOOP("RunHistory", "queue")};
    for (const char *name : names) {
        if (key == QLatin1String(name))
            return words(name);
    }
    return key;
}

QString duration(double milliseconds)
{
    return milliseconds < 1000 ? QStringLiteral("%1 ms").arg(milliseconds)
                               : QStringLiteral("%1 s").arg(milliseconds / 1000, 0, 'f', 1);
}

// The outcome's words, and how the flashing tool ended where it did. The words are kept in
// English, as OutcomeWords writes them: a person reads them in the program's language.
QString outcomeText(const QJsonObject &entry)
{
    const QString outcome = QCoreApplication::translate(
        "OutcomeWords", entry.value(QStringLiteral("words")).toString().toUtf8().constData());
    if (entry.contains(QStringLiteral("signal")))
        return words(QT_TRANSLATE_NOOP("RunHistory", "%1 (signal %2)"))
            .arg(outcome)
            .arg(entry.value(QStringLiteral("signal")).toInt());
    if (entry.contains(QStringLiteral("code")))
        return QStringLiteral("%1 (%2)").arg(outcome).arg(
            entry.value(QStringLiteral("code")).toInt());
    return outcome;
}

QString sizeText(double bytes)
{
    return bytes < 1024 * 1024 ? QStringLiteral("%1 KiB").arg(bytes / 1024, 0, 'f', 1)
                               : QStringLiteral("%1 MiB").arg(bytes / 1024 / 1024, 0, 'f', 1);
}
} // namespace

QString RunHistory::folder()
{
    return UserFolders::data();
}

QString RunHistory::logFolder()
{
    return QDir(folder()).filePath(QStringLiteral("logs"));
}

QString RunHistory::historyFile()
{
    return QDir(folder()).filePath(QStringLiteral("history.jsonl"));
}

bool RunHistory::makeLogFolder(QString *error)
{
    return PrivateFiles::makePrivate(folder(), error) &&
           PrivateFiles::makePrivate(logFolder(), error);
}

bool RunHistory::keep(const RunRecord &record, QString *error)
{
    if (!makeLogFolder(error))
        return false;
    const QDir logs(logFolder());
    const QString name = logName(logs, record.started());
    if (!PrivateFiles::writeNew(logs.filePath(name), record.logText().toUtf8(), error))
        return false;
    pruneLogs(logs);

    QJsonObject entry = record.summary();
    entry.insert(QStringLiteral("log"), name);
    return PrivateFiles::append(historyFile(),
                                QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n', error);
}

RunHistory::Recent RunHistory::last(int count)
{
    Recent recent;
    QFile history(historyFile());
    if (!history.open(QIODevice::ReadOnly))
        return recent;
    // Up to its size now: a line another program adds meanwhile is for the next look.
    const qint64 size = history.size();
    recent.total = countLines(history, size);
    LinesFromEnd lines(history, size);
    QByteArray line;
    qint64 read = 0;
    while ((count < 0 || read < count) && lines.previous(&line)) {
        ++read;
        const QJsonDocument entry = QJsonDocument::fromJson(line);
        if (entry.isObject())
            recent.entries.append(entry.object());
    }
    std::reverse(recent.entries.begin(), recent.entries.end());
    recent.earlier = recent.total - read;
    return recent;
}

QList<QJsonObject> RunHistory::entries()
{
    return last(-1).entries;
}

QString RunHistory::overview(int rows)
{
    const Recent recent = last(rows);
    QList<QJsonObject> newestFirst = recent.entries;
    std::reverse(newestFirst.begin(), newestFirst.end());
    QString text = table(newestFirst);
    if (recent.earlier > 0)
        text += QLatin1Char('\n') + earlierRunsLine(recent.earlier);
    return text;
}

QString RunHistory::table(const QList<QJsonObject> &entries)
{
    QList<QStringList> rows{{words(QT_TRANSLATE_NOOP("RunHistory", "When")),
                             words(QT_TRANSLATE_NOOP("RunHistory", "Program")),
                             words(QT_TRANSLATE_NOOP("RunHistory", "Sensor")),
                             words(QT_TRANSLATE_NOOP("RunHistory", "Package")),
                             words(QT_TRANSLATE_NOOP("RunHistory", "Outcome")),
                             words(QT_TRANSLATE_NOOP("RunHistory", "Steps"))}};
    for (const QJsonObject &entry : entries) {
        const QJsonObject package = entry.value(QStringLiteral("package")).toObject();
        QStringList steps;
        const QJsonArray times = entry.value(QStringLiteral("steps")).toArray();
        for (const QJsonValue &step : times)
            steps << stepName(step[QStringLiteral("step")].toString()) + QLatin1Char(' ') +
                         duration(step[QStringLiteral("ms")].toDouble());
        QString packageText = package.value(QStringLiteral("file")).toString();
        if (package.contains(QStringLiteral("sha256")))
            packageText += QStringLiteral(" (%1, %2, SHA-256 %3)")
                               .arg(sizeText(package.value(QStringLiteral("size")).toDouble()),
                                    package.value(QStringLiteral("date")).toString(),
                                    package.value(QStringLiteral("sha256")).toString().left(12));
        QStringList row{
            QDateTime::fromString(entry.value(QStringLiteral("when")).toString(), Qt::ISODate)
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            entry.value(QStringLiteral("program")).toString() + QLatin1Char(' ') +
                entry.value(QStringLiteral("version")).toString(),
            entry.value(QStringLiteral("sensor")).toString(),
            packageText,
            outcomeText(entry),
            steps.join(QStringLiteral(", "))};
        // The file keeps what the device said; a terminal is shown no escape sequence of it.
        for (QString &cell : row)
            cell = PrintableText::of(cell);
        rows.append(row);
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
