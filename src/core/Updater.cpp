// Updater: construction and teardown, the sensor's presence and command, and its one run.
#include "Updater.h"

#include "BootloaderCommand.h"
#include "Endpoints.h"
#include "OutcomeCodes.h"
#include "OutcomeWords.h"
#include "PackageDownload.h"
#include "PackageFolder.h"
#include "RunHistory.h"
#include "RunMoments.h"
#include "RunReport.h"
#include "SensorIds.h"
#include "UpdateLock.h"
#include "UpdateRun.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply> // the managers' finished() carries it
#include <limits>

namespace {
// Of the history, as many runs as a dialog shows comfortably.
constexpr int historyRows = 200;
} // namespace

Updater::Updater(QObject *parent, PackageHome packageHome)
    : QObject(parent)
    , usbLink(nullptr)
    , versionRequest(QUrl())
    , firmwareRequest(QUrl())
    , helpHost(Endpoints::helpHost())
    , lockFolder(UpdateLock::machineFolder())
    , userLockFolder(UpdateLock::userFolder())
    , last(std::make_unique<RunReport>())
{
    // Qt's bearer management would look at every network interface every 10 s for as long as
    // the program runs, to tell whether a network is up: a request that fails says so too. Its
    // poll is pushed beyond any run (24 days); a negative interval would be warned about on
    // standard error at every start.
    if (!qEnvironmentVariableIsSet("QT_BEARER_POLL_TIMEOUT"))
        qputenv("QT_BEARER_POLL_TIMEOUT", QByteArray::number(std::numeric_limits<int>::max()));
    packageFile = PackageFolder::prepare(packageHome == PackageHome::WorkingFolderFirst);

    versionManager = new QNetworkAccessManager;
    connect(versionManager, &QNetworkAccessManager::finished, this,
            [this](QNetworkReply *reply) { handleVersionReply(reply); });
    firmwareManager = new QNetworkAccessManager;
    connect(firmwareManager, &QNetworkAccessManager::finished, this,
            [this](QNetworkReply *reply) { handleFirmwareReply(reply); });
}

Updater::~Updater()
{
    // A run still flashing lets its tool finish (see UpdateRun).
    delete run;
    delete versionManager;
    delete firmwareManager;
}

bool Updater::checkPodConnected()
{
    // A sensor whose update was cut short waits in its bootloader; it is there to be flashed.
    // Its bootloader is looked for on USB, not among the serial ports: listing those takes
    // about 10 ms, and the window asks every 1500 ms.
    // One enumeration for both: the poll is most of what an idle window does.
    return usbLink.countDevices(SensorIds::vendorId, {SensorIds::applicationProductId,
                                                      SensorIds::bootloaderProductId}) > 0;
}

bool Updater::sendBootloaderCommand()
{
    if (BootloaderCommand::send(usbLink, QString(), timing.bootloaderWriteTimeoutMs))
        return true;
    emit usbError(usbLink.lastError(), QString::fromLatin1(usbLink.lastErrorName()));
    return false;
}

void Updater::updatePod(QString firmwarePath)
{
    RunMoments::mark("pressed");
    // This program's own run reports its outcome; a second would start a second flashing tool
    // on the same port.
    if (run) {
        qDebug() << "Update already running";
        return;
    }
    UpdateRun::Settings settings;
    settings.package = firmwarePath;
    settings.timing = timing;
    settings.lockFolder = lockFolder;
    settings.userLockFolder = userLockFolder;
    run = new UpdateRun(usbLink, settings, this);
    connect(run, &UpdateRun::stepChanged, this, &Updater::stepChanged);
    connect(run, &UpdateRun::usbError, this, &Updater::usbError);
    // The last port found and the last tool started are the Updater's to keep.
    connect(run, &UpdateRun::portFound, this, [this](const QString &port) { portName = port; });
    connect(run, &UpdateRun::toolStarted, this, [this](QProcess *tool) { process = tool; });
    connect(run, &UpdateRun::finished, this, &Updater::onRunFinished);
    emit runningChanged();
    // The package the window starts downloading at start-up may still be on its way.
    run->start(downloadOf(firmwarePath));
}

void Updater::onRunFinished(Run::Outcome outcome)
{
    *last = run->report();
    run->deleteLater();
    run = nullptr;
    emit runningChanged();
    emit stepChanged();
    // Withdrawn as its window closes: nobody waits for its word.
    if (outcome == Run::Withdrawn)
        return;
    if (OutcomeCodes::emitsUpdateDone(outcome))
        emit updateDone(last->updateDoneCode);
    RunMoments::mark("outcome-told");
    emit runEnded(outcome);
}

void Updater::processFinished(int exitCode)
{
    // A run reads its own tool's end; called by hand, with none going, the code is told.
    if (run)
        return;
    qDebug() << "Update done, Exit code:" << exitCode;
    emit updateDone(exitCode);
}

bool Updater::withdrawWaitingRun()
{
    return run && run->withdraw();
}

PackageDownload *Updater::downloadOf(const QString &package) const
{
    if (!packageDownload || QFileInfo(package).absoluteFilePath() !=
                                QFileInfo(packageDownload->packagePath()).absoluteFilePath())
        return nullptr;
    return packageDownload;
}

int Updater::step() const
{
    return run ? run->step() : Run::NoStep;
}

int Updater::progress() const
{
    return run ? run->progress() : -1;
}

QString Updater::stepText() const
{
    return OutcomeWords::stepLine(step(), progress());
}

QUrl Updater::logFolder() const
{
    // Made before any run has kept a log there, as private as the runs make it: the desktop
    // opens no folder that is missing.
    QString error;
    RunHistory::makeLogFolder(&error);
    return QUrl::fromLocalFile(RunHistory::logFolder());
}

QString Updater::historyText() const
{
    return RunHistory::overview(historyRows);
}

QString Updater::outcomeTitle(int outcome) const
{
    return OutcomeWords::title(Run::Outcome(outcome));
}

QString Updater::outcomeText(int outcome) const
{
    const QString text = OutcomeWords::text(Run::Outcome(outcome), last->detail);
    // The last run's, told with its outcome whatever it is.
    if (last->caveat.isEmpty() || Run::Outcome(outcome) != last->outcome)
        return text;
    return text + QStringLiteral("\n\n") + last->caveat;
}

QString Updater::runDetails() const
{
    return last->details;
}
