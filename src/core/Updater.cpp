// Updater: construction, teardown and the sensor's USB operations.
#include "Updater.h"

#include "Endpoints.h"
#include "FlashingTool.h"
#include "PackageFolder.h"
#include "SensorIds.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply> // the managers' finished() carries it
#include <limits>

namespace {
constexpr unsigned char bootloaderCommand = 0x12;
} // namespace

Updater::Updater(QObject *parent, PackageHome packageHome)
    : QObject(parent)
    , usbLink(nullptr)
    , versionRequest(QUrl())
    , firmwareRequest(QUrl())
    , helpHost(Endpoints::helpHost())
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

    portSearchTimer.setSingleShot(true);
    // The sensor's 3000 ms are a minimum: a coarse timer would fire up to 5 % early.
    portSearchTimer.setTimerType(Qt::PreciseTimer);
    connect(&portSearchTimer, &QTimer::timeout, this, &Updater::lookForBootloaderPort);
    toolDeadline.setSingleShot(true);
    connect(&toolDeadline, &QTimer::timeout, this, &Updater::onToolTimeout);
    // Often enough for a bar that moves smoothly, seldom enough to cost nothing.
    progressPoll.setInterval(200);
    connect(&progressPoll, &QTimer::timeout, this, &Updater::followToolProgress);
}

Updater::~Updater()
{
    // A tool still flashing is let finish: its process object would kill its supervisor when
    // deleted, and with it the tool's time-out.
    if (process && process->state() != QProcess::NotRunning)
        process->setParent(nullptr);
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

QList<UsbDeviceId> Updater::connectedSensors()
{
    return usbLink.identifyDevices(SensorIds::vendorId, SensorIds::applicationProductId) +
           usbLink.identifyDevices(SensorIds::vendorId, SensorIds::bootloaderProductId);
}

bool Updater::sendBootloaderCommand()
{
    if (!usbLink.open(SensorIds::vendorId, SensorIds::applicationProductId)) {
        qDebug() << usbLink.lastError() << usbLink.lastErrorName();
        emit usbError(usbLink.lastError(), QString::fromLatin1(usbLink.lastErrorName()));
        return false;
    }
    qDebug() << "Opened TVX";
    if (usbLink.claimInterface())
        qDebug() << "Claimed IF TVX";
    qDebug() << usbLink.lastErrorName();

    if (usbLink.write(&bootloaderCommand, 1, timing.bootloaderWriteTimeoutMs))
        qDebug() << "Sent DFU cmd";
    else
        qDebug() << usbLink.lastErrorName();
    return true;
}
