// Updater: one update run, from the bootloader command to the flashing tool's exit code.
#include "Updater.h"

#include "BootloaderPort.h"
#include "FlashingTool.h"

#include <QDebug>
#include <QProcess>
#include <QTimer>

void Updater::updatePod(QString firmwarePath)
{
    // A failed command does not end the run: a sensor already waiting in its bootloader (after
    // an interrupted update, say) is still found and flashed.
    PortSearch search;
    search.reportNoPort = sendBootloaderCommand();
    search.firmwarePath = firmwarePath;
    qDebug() << "Firmware path:" << firmwarePath;

    QTimer::singleShot(timing.bootloaderWaitMs, Qt::CoarseTimer, this, [this, search]() mutable {
        search.sinceFirstLookup.start();
        startFlashingTool(search);
    });
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
    // After a usbError the screen is idle already and must not hear of this run again.
    if (search.reportNoPort) {
        qDebug() << "No bootloader port found";
        emit updateDone(noBootloaderPort);
    }
}

void Updater::runFlashingTool(const QString &firmwarePath)
{
    const QStringList arguments = flashingToolArguments(firmwarePath, portName);
    qDebug() << "Arguments: " << arguments;

    // Each run's handlers act on the run's own process, so runs that overlap stay apart.
    auto *tool = new QProcess;
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
                emit updateDone(toolNotStarted);
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
    emit updateDone(exitCode);
}
