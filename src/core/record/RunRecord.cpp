// One update run as it is told afterwards (see RunRecord.h).
#include "RunRecord.h"

#include "ProgramVersion.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace {
// The run whose log lines are being kept, and the handler each line goes on to.
RunRecord *capturing = nullptr;
QtMessageHandler forwardTo = nullptr;
thread_local int depth = 0;

constexpr int tailLines = 40;

// As a terminal would show them: of a line rewritten in place (progress), its last state.
QString lastLines(const QByteArray &text, int count)
{
    QStringList lines;
    for (const QString &line : QString::fromLocal8Bit(text).split(QLatin1Char('\n'))) {
        const QStringList states = line.split(QLatin1Char('\r'), Qt::SkipEmptyParts);
        lines.append(states.isEmpty() ? QString() : states.last());
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(qMax(0, lines.size() - count)).join(QLatin1Char('\n'));
}

QJsonObject describePackage(const QString &path)
{
    QJsonObject package{{QStringLiteral("file"), QFileInfo(path).fileName()}};
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return package;
    QCryptographicHash sha256(QCryptographicHash::Sha256);
    sha256.addData(&file);
    package.insert(QStringLiteral("size"), double(file.size()));
    package.insert(QStringLiteral("sha256"), QString::fromLatin1(sha256.result().toHex()));
    package.insert(QStringLiteral("date"),
                   QFileInfo(path).lastModified().date().toString(Qt::ISODate));
    return package;
}
} // namespace

RunRecord::RunRecord() = default;

RunRecord::~RunRecord()
{
    if (capturing == this)
        capturing = nullptr;
}

void RunRecord::capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (depth == 0 && capturing) {
        QMutexLocker lock(&capturing->linesMutex);
        capturing->lines.append(message);
    }
    // A chain of handlers that leads back here: the line has been told once already.
    if (depth > 0 || !forwardTo)
        return;
    ++depth;
    forwardTo(type, context, message);
    --depth;
}

void RunRecord::begin(const QString &package)
{
    startedAt = QDateTime::currentDateTime();
    clock.start();
    packagePath = package;
    this->package = describePackage(package);
    sensor.clear();
    steps.clear();
    currentStep.clear();
    notes.clear();
    toolRan = false;
    output.clear();
    errors.clear();
    outcome.clear();
    {
        QMutexLocker lock(&linesMutex);
        lines.clear();
    }
    // Whoever handled the log lines before still does; this handler only keeps a copy. It stays
    // installed between runs, and is put back on top if another took its place meanwhile.
    const QtMessageHandler current = qInstallMessageHandler(&RunRecord::capture);
    if (current != &RunRecord::capture)
        forwardTo = current;
    capturing = this;
}

void RunRecord::setSensor(const QString &serialNumber, const QString &portPath)
{
    sensor = !serialNumber.isEmpty() ? serialNumber
             : !portPath.isEmpty()   ? QStringLiteral("port ") + portPath
                                     : QString();
}

void RunRecord::enterStep(const QString &step)
{
    closeStep();
    currentStep = step;
    stepStartedMs = clock.elapsed();
}

void RunRecord::closeStep()
{
    if (!currentStep.isEmpty())
        steps.append({currentStep, clock.elapsed() - stepStartedMs});
    currentStep.clear();
}

void RunRecord::addNote(const QString &note)
{
    notes.append(note);
}

void RunRecord::setToolOutput(const QByteArray &toolOutput, const QByteArray &toolErrors)
{
    toolRan = true;
    output = toolOutput;
    errors = toolErrors;
}

void RunRecord::end(const QString &outcomeName, const QString &words, int outcomeCode)
{
    closeStep();
    if (capturing == this)
        capturing = nullptr;
    outcome = outcomeName;
    outcomeWords = words;
    code = outcomeCode;
}

QString RunRecord::toolTail(int count) const
{
    QStringList parts;
    if (!output.trimmed().isEmpty())
        parts << lastLines(output, count);
    if (!errors.trimmed().isEmpty())
        parts << lastLines(errors, count);
    return parts.join(QLatin1Char('\n'));
}

QString RunRecord::details() const
{
    QStringList parts = notes;
    if (toolRan) {
        parts << QCoreApplication::translate("RunRecord", "What the flashing tool said last:")
              << lastLines(output, tailLines);
        if (!errors.trimmed().isEmpty())
            parts << QCoreApplication::translate("RunRecord", "Its errors:")
                  << lastLines(errors, tailLines);
    }
    QMutexLocker lock(&linesMutex);
    parts << QCoreApplication::translate("RunRecord", "Log of the update:") << lines;
    return parts.join(QLatin1Char('\n'));
}

QJsonObject RunRecord::summary() const
{
    QJsonArray stepTimes;
    for (const auto &step : steps)
        stepTimes.append(QJsonObject{{QStringLiteral("step"), step.first},
                                     {QStringLiteral("ms"), double(step.second)}});
    QJsonObject entry{
        {QStringLiteral("when"), startedAt.toString(Qt::ISODate)},
        {QStringLiteral("program"), QCoreApplication::applicationName()},
        {QStringLiteral("version"), ProgramVersion::current()},
        {QStringLiteral("sensor"), sensor},
        {QStringLiteral("package"), package},
        {QStringLiteral("outcome"), outcome},
        {QStringLiteral("words"), outcomeWords},
        {QStringLiteral("code"), code},
        {QStringLiteral("steps"), stepTimes},
    };
    return entry;
}

QString RunRecord::logText() const
{
    QStringList text{QStringLiteral("Update started %1 with %2")
                         .arg(startedAt.toString(Qt::ISODate), packagePath)};
    {
        QMutexLocker lock(&linesMutex);
        text << lines;
    }
    text << notes;
    if (toolRan)
        text << QStringLiteral("--- output of the flashing tool ---")
             << QString::fromLocal8Bit(output)
             << QStringLiteral("--- errors of the flashing tool ---")
             << QString::fromLocal8Bit(errors);
    text << QStringLiteral("Outcome: %1 (%2), code %3").arg(outcomeWords, outcome).arg(code);
    return text.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
