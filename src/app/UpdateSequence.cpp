// Updater: one update run, from the package check and the bootloader command to its one outcome.
#include "Updater.h"

#include "BootloaderPort.h"
#include "Endpoints.h"
#include "FirmwarePackage.h"
#include "FlashingTool.h"
#include "SensorIds.h"

#include <QDebug>
#include <QFileInfo>
#include <QNetworkReply>
#include <QProcess>
#include <QTimer>

void Updater::updatePod(QString firmwarePath)
{
    if (runInProgress) {
        qDebug() << "Update already running";
        return;
    }
    runInProgress = true;
    // The package the window starts downloading at start-up may still be on its way.
    if (firmwareDownload && isDownloadedPackage(firmwarePath)) {
        runAwaitingDownload = firmwarePath;
        return;
    }
    beginRun(firmwarePath);
}

void Updater::beginRun(const QString &firmwarePath)
{
    // Checked before the sensor is touched: a sensor sent into its bootloader without a package
    // to flash would be left there.
    if (!FirmwarePackage::isZipFile(firmwarePath)) {
        qDebug() << "No usable firmware package:" << firmwarePath;
        endRun(noUsablePackage);
        return;
    }
    PortSearch search;
    search.firmwarePath = firmwarePath;
    if (sensorWaitsInBootloader()) {
        // No command to send and no restart to wait for: straight to its port.
        qDebug() << "Sensor already in its bootloader";
        search.sinceFirstLookup.start();
        startFlashingTool(search);
        return;
    }
    // Any other failure goes on: the sensor may be waiting in its bootloader by now, or be
    // just re-enumerating; the port search decides. Access denied was shown to the user, and the
    // sensor cannot have restarted.
    if (!sendBootloaderCommand() && usbLink.lastError() == UsbLink::errorAccess) {
        runInProgress = false;
        return;
    }
    qDebug() << "Firmware path:" << firmwarePath;

    QTimer::singleShot(timing.bootloaderWaitMs, Qt::CoarseTimer, this, [this, search]() mutable {
        search.sinceFirstLookup.start();
        startFlashingTool(search);
    });
}

bool Updater::sensorWaitsInBootloader()
{
    return !usbLink.isSensorPresent(SensorIds::vendorId, SensorIds::applicationProductId) &&
           !findBootloaderPort().isEmpty();
}

bool Updater::isDownloadedPackage(const QString &firmwarePath) const
{
    return QFileInfo(firmwarePath).absoluteFilePath() ==
           QFileInfo(Endpoints::packagePath()).absoluteFilePath();
}

void Updater::startFlashingTool(PortSearch search)
{
    const QString port = findBootloaderPort();
    if (!port.isEmpty()) {
        portName = port;
        runFlashingTool(search.firmwarePath);
        return;
    }
    if (search.sinceFirstLookup.elapsed() < timing.portRetryWindowMs) {
        QTimer::singleShot(timing.portRetryIntervalMs, Qt::CoarseTimer, this,
                           [this, search] { startFlashingTool(search); });
        return;
    }
    qDebug() << "No bootloader port found";
    endRun(noBootloaderPort);
}

void Updater::runFlashingTool(const QString &firmwarePath)
{
    const QStringList arguments = flashingToolArguments(firmwarePath, portName);
    qDebug() << "Arguments: " << arguments;

    // Owned by the Updater, so that one never released would show among its children.
    QProcess *tool = new FlashingToolProcess(this);
    process = tool;
    connect(tool, SIGNAL(finished(int)), this, SLOT(processFinished(int)));
    connect(
        tool, &QProcess::started, tool, [] { qDebug() << "Started util"; }, Qt::DirectConnection);
    connect(
        tool, &QProcess::errorOccurred, tool,
        [this, tool](QProcess::ProcessError error) {
            qDebug() << "Error occured" << error;
            // A tool that still runs (or has just crashed) ends through processFinished, which
            // reports it; one that never started must be reported here.
            if (tool->state() != QProcess::NotRunning)
                return;
            tool->deleteLater();
            if (error == QProcess::FailedToStart)
                endRun(toolNotStarted);
        },
        Qt::DirectConnection);
    tool->start(flashingToolProgram(), arguments, QIODevice::ReadWrite);
}

void Updater::processFinished(int exitCode)
{
    qDebug() << "Update done, Exit code:" << exitCode;
    auto *tool = qobject_cast<QProcess *>(sender());
    if (!tool)
        tool = process;
    if (tool) {
        const QByteArray output = tool->readAllStandardOutput();
        const QByteArray errors = tool->readAllStandardError();
        qDebug() << output;
        qDebug() << errors;
        qDebug() << tool->workingDirectory();
        tool->deleteLater();
    }
    endRun(exitCode);
}

void Updater::endRun(int exitCode)
{
    // Cleared first: whoever hears the outcome may start the next run at once.
    runInProgress = false;
    emit updateDone(exitCode);
}
