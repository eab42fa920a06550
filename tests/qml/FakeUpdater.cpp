// A stand-in for the program's Updater, for the QML tests.
#include "FakeUpdater.h"

#include "OutcomeWords.h"

void FakeUpdater::reset()
{
    connected = false;
    running = false;
    waitingForPackage = false;
    step = 0;
    progress = -1;
    details.clear();
    history.clear();
    emit stepChanged();
    pollCount = 0;
    calls.clear();
    openedUrls.clear();
    emit callsChanged();
    emit openedUrlsChanged();
}

void FakeUpdater::record(const QString &call)
{
    calls.append(call);
    emit callsChanged();
}

void FakeUpdater::updatePod(QString firmwarePath)
{
    record(QStringLiteral("updatePod(%1)").arg(firmwarePath));
    running = true;
    emit runningChanged();
}

void FakeUpdater::endRun(int outcome)
{
    running = false;
    step = 0;
    progress = -1;
    emit runningChanged();
    emit stepChanged();
    emit runEnded(outcome);
}

bool FakeUpdater::withdrawWaitingRun()
{
    if (!running || !waitingForPackage)
        return false;
    record(QStringLiteral("withdrawWaitingRun()"));
    running = false;
    emit runningChanged();
    return true;
}

QString FakeUpdater::stepText() const
{
    return OutcomeWords::stepLine(step, progress);
}

QString FakeUpdater::outcomeTitle(int outcome) const
{
    return OutcomeWords::title(Run::Outcome(outcome));
}

QString FakeUpdater::outcomeText(int outcome) const
{
    return OutcomeWords::text(Run::Outcome(outcome));
}

bool FakeUpdater::checkPodConnected()
{
    ++pollCount;
    emit callsChanged();
    return connected;
}

void FakeUpdater::processFinished(int exitCode)
{
    record(QStringLiteral("processFinished(%1)").arg(exitCode));
}

void FakeUpdater::checkProgramVersion()
{
    record(QStringLiteral("checkProgramVersion()"));
}

void FakeUpdater::downloadLastPodVersion()
{
    record(QStringLiteral("downloadLastPodVersion()"));
}

QString FakeUpdater::handleFileChosen(QString urlString)
{
    record(QStringLiteral("handleFileChosen(%1)").arg(urlString));
    return QUrl(urlString).toLocalFile();
}

void FakeUpdater::openUrl(const QUrl &url)
{
    openedUrls.append(url.toString());
    emit openedUrlsChanged();
}
