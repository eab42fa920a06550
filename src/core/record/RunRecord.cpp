// One update run as it is told afterwards (see RunRecord.h).
#include "RunRecord.h"

#include "ProgramVersion.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace {
// The runs going, whose log lines are being kept, and the handler each line goes on to.
QMutex openMutex;
QList<RunRecord *> openRecords;
QtMessageHandler forwardTo = nullptr;
thread_local RunRecord *scoped = nullptr;
thread_local bool aside = false;
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

QJsonObject describe(const QString &path)
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
    stopCapturing();
}

RunRecord::Scope::Scope(RunRecord &record)
    : previous(scoped)
    , previousAside(aside)
{
    scoped = &record;
    aside = false;
}

RunRecord::Scope::~Scope()
{
    scoped = previous;
    aside = previousAside;
}

RunRecord::Aside::Aside()
    : previous(aside)
{
    aside = true;
}

RunRecord::Aside::~Aside()
{
    aside = previous;
}

void RunRecord::capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (depth == 0 && !aside) {
        QMutexLocker lock(&openMutex);
        RunRecord *owner = scoped && openRecords.contains(scoped) ? scoped
                           : !scoped && openRecords.size() == 1   ? openRecords.first()
                                                                  : nullptr;
        if (owner)
            owner->keepLine(message);
    }
    // A chain of handlers that leads back here: the line has been told once already.
    if (depth > 0 || !forwardTo)
        return;
    ++depth;
    forwardTo(type, context, message);
    --depth;
}

void RunRecord::keepLine(const QString &line)
{
    QMutexLocker lock(&linesMutex);
    lines.append(line);
}

void RunRecord::begin(const QString &path)
{
    startedAt = QDateTime::currentDateTime();
    clock.start();
    packagePath = path;
    package = {{QStringLiteral("file"), QFileInfo(path).fileName()}};
    // Whoever handled the log lines before still does; this handler only keeps a copy. It stays
    // installed, and is put back on top if another took its place meanwhile.
    const QtMessageHandler current = qInstallMessageHandler(&RunRecord::capture);
    QMutexLocker lock(&openMutex);
    if (current != &RunRecord::capture)
        forwardTo = current;
    if (!openRecords.contains(this))
        openRecords.append(this);
}

void RunRecord::describePackage()
{
    if (packageDescribed)
        return;
    packageDescribed = true;
    package = describe(packagePath);
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

void RunRecord::addNote(const QString &english, const QString &translated)
{
    notes.append(english);
    translatedNotes.append(translated);
}

void RunRecord::setToolOutput(const QByteArray &toolOutput, const QByteArray &toolErrors)
{
    toolRan = true;
    output = toolOutput;
    errors = toolErrors;
}

void RunRecord::setToolEnding(int exitCode, int signalNumber)
{
    toolEnded = true;
    toolExitCode = exitCode;
    toolSignal = signalNumber;
}

void RunRecord::end(const QString &outcomeName, const QString &words)
{
    closeStep();
    describePackage();
    stopCapturing();
    outcome = outcomeName;
    outcomeWords = words;
}

void RunRecord::stopCapturing()
{
    QMutexLocker lock(&openMutex);
    openRecords.removeAll(this);
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
    QStringList parts = translatedNotes;
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
        {QStringLiteral("steps"), stepTimes},
    };
    // The tool's own code only where it ran to an end: the program's outcomes have their names.
    if (toolEnded && toolSignal == 0)
        entry.insert(QStringLiteral("code"), toolExitCode);
    if (toolEnded && toolSignal != 0)
        entry.insert(QStringLiteral("signal"), toolSignal);
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
    QString ending = QStringLiteral("Outcome: %1 (%2)").arg(outcomeWords, outcome);
    if (toolEnded)
        ending += toolSignal != 0 ? QStringLiteral(", signal %1").arg(toolSignal)
                                  : QStringLiteral(", code %1").arg(toolExitCode);
    text << ending;
    return text.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
