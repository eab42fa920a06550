// Updater: what a run tells while it goes and afterwards: its step and progress, and its record
// in the history.
#include "Updater.h"

#include "OutcomeWords.h"
#include "RunHistory.h"

#include <QDebug>
#include <QDir>

void Updater::setStep(Step next)
{
    if (next != currentStep)
        record.enterStep(OutcomeWords::stepKey(next));
    if (next == currentStep && currentProgress < 0)
        return;
    currentStep = next;
    currentProgress = -1;
    emit stepChanged();
}

void Updater::setProgress(int percent)
{
    if (percent == currentProgress)
        return;
    currentProgress = percent;
    emit stepChanged();
}

void Updater::followToolProgress()
{
    if (toolProgress && toolProgress->update())
        setProgress(toolProgress->percent());
}

QString Updater::stepText() const
{
    return OutcomeWords::stepLine(currentStep, currentProgress);
}

QUrl Updater::logFolder() const
{
    // Made before any run has kept a log there: the desktop opens no folder that is missing.
    QDir().mkpath(RunHistory::logFolder());
    return QUrl::fromLocalFile(RunHistory::logFolder());
}

QString Updater::runDetails() const
{
    return record.details();
}

QString Updater::toolTail(int lines) const
{
    return record.toolTail(lines);
}

QString Updater::historyText() const
{
    return RunHistory::table(RunHistory::entries());
}

void Updater::keepRecord(const QString &outcome, const QString &words, int code)
{
    record.end(outcome, words, code);
    // Told once: a history that cannot be written never stops an update.
    QString error;
    if (!RunHistory::keep(record, &error) && !saidHistoryFails) {
        saidHistoryFails = true;
        qDebug().noquote() << "Cannot keep the history of updates:" << error;
    }
}
