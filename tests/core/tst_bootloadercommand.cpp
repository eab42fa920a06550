// The sensor's presence check and bootloader command, through the real libusb and an emulated
// sensor: log lines, usbError values and the byte that reaches the sensor.
#include "LogCapture.h"
#include "Privileges.h"
#include "SensorTestbed.h"
#include "UmockdevTest.h"
#include "Updater.h"
#include "UpdaterTestAccess.h"

#include <QElapsedTimer>
#include <QtTest>
#include <libusb.h>
#include <memory>

namespace {
// libusb's own name for success, as this libusb spells it.
const QString success = QString::fromLatin1(libusb_error_name(LIBUSB_SUCCESS));
const QByteArray bootloaderCommand(1, '\x12');

enum class Bus
{
    Empty,
    Sensor,
    SensorGone,
    BootloaderOnly,
    SensorAndBootloader,
    PortDecoys
};
} // namespace
Q_DECLARE_METATYPE(Bus)
Q_DECLARE_METATYPE(SensorFaults)

class TestBootloaderCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void podConnected_data();
    void podConnected();

    void command_data();
    void command();
    void secondCommandReopens();
    void writeGivesUpAfterTwoSeconds();

private:
    void setUpBus(Bus bus, const SensorFaults &faults);

    std::unique_ptr<SensorTestbed> bed;
    std::unique_ptr<LogCapture> log;
};

void TestBootloaderCommand::init()
{
    bed = std::make_unique<SensorTestbed>();
    log = std::make_unique<LogCapture>();
}

void TestBootloaderCommand::cleanup()
{
    log.reset();
    bed.reset();
}

void TestBootloaderCommand::setUpBus(Bus bus, const SensorFaults &faults)
{
    if (bus == Bus::Sensor || bus == Bus::SensorGone || bus == Bus::SensorAndBootloader)
        bed->plugSensor(SensorTestbed::sensor, faults);
    if (bus == Bus::BootloaderOnly)
        bed->plug(SensorTestbed::bootloader);
    if (bus == Bus::SensorAndBootloader) // a second sensor, in its bootloader
        bed->plug(SensorTestbed::secondBootloader);
    if (bus == Bus::PortDecoys)
        bed->plug(SensorTestbed::portDecoys);
}

void TestBootloaderCommand::podConnected_data()
{
    QTest::addColumn<Bus>("bus");
    QTest::addColumn<bool>("openDenied");
    QTest::addColumn<bool>("connected");

    QTest::newRow("unplugged") << Bus::Empty << false << false;
    QTest::newRow("plugged in") << Bus::Sensor << false << true;
    // Another program holding the sensor does not hide it.
    QTest::newRow("plugged in, access denied") << Bus::Sensor << true << true;
    // A sensor left waiting in its bootloader is there to be flashed.
    QTest::newRow("already in its bootloader") << Bus::BootloaderOnly << false << true;
    QTest::newRow("application and bootloader") << Bus::SensorAndBootloader << false << true;
    QTest::newRow("only other serial ports") << Bus::PortDecoys << false << false;
}

void TestBootloaderCommand::podConnected()
{
    QFETCH(Bus, bus);
    QFETCH(bool, openDenied);
    QFETCH(bool, connected);
    SensorFaults faults;
    faults.openDenied = openDenied;
    setUpBus(bus, faults);

    WithoutFileAccessOverride asNormalUser;
    Updater updater;
    QSignalSpy usbErrors(&updater, &Updater::usbError);
    QCOMPARE(updater.checkPodConnected(), connected);
    QCOMPARE(updater.checkPodConnected(), connected);
    QVERIFY(log->lines().isEmpty());
    QVERIFY(usbErrors.isEmpty());
    QCOMPARE(bed->claimAttempts(), 0);
}

void TestBootloaderCommand::command_data()
{
    QTest::addColumn<Bus>("bus");
    QTest::addColumn<SensorFaults>("faults");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QVariantList>("usbError"); // empty: no signal
    QTest::addColumn<QList<QByteArray>>("written");

    const QList<QByteArray> sent{bootloaderCommand};
    const QString opened = "Opened device : " + success;
    SensorFaults none;
    SensorFaults denied;
    denied.openDenied = true;
    SensorFaults busy;
    busy.claimBusy = true;
    SensorFaults driverStays;
    driverStays.kernelDriverAttached = true;
    driverStays.detachFails = true;
    SensorFaults stalls;
    stalls.writeStalls = true;

    QTest::newRow("sent") << Bus::Sensor << none
                          << QStringList{opened, "Opened TVX", "Claimed IF TVX", success,
                                         "Sent DFU cmd"}
                          << QVariantList() << sent;
    QTest::newRow("not found") << Bus::Empty << none << QStringList{"0 " + success}
                               << QVariantList{0, success} << QList<QByteArray>();
    QTest::newRow("in its bootloader already")
        << Bus::BootloaderOnly << none << QStringList{"0 " + success} << QVariantList{0, success}
        << QList<QByteArray>();
    QTest::newRow("access denied")
        << Bus::Sensor << denied
        << QStringList{"Opened device : LIBUSB_ERROR_ACCESS", "-3 LIBUSB_ERROR_ACCESS"}
        << QVariantList{-3, "LIBUSB_ERROR_ACCESS"} << QList<QByteArray>();
    QTest::newRow("gone before the open")
        << Bus::SensorGone << none
        << QStringList{"Opened device : LIBUSB_ERROR_NO_DEVICE", "-4 LIBUSB_ERROR_NO_DEVICE"}
        << QVariantList{-4, "LIBUSB_ERROR_NO_DEVICE"} << QList<QByteArray>();
    QTest::newRow("claim busy, still sent")
        << Bus::Sensor << busy
        << QStringList{opened, "Opened TVX", "Error claiming interface", "LIBUSB_ERROR_BUSY",
                       "Sent DFU cmd"}
        << QVariantList() << sent;
    QTest::newRow("kernel driver stays")
        << Bus::Sensor << driverStays
        << QStringList{opened,           "Opened TVX", "Error detaching kernel driver",
                       "Claimed IF TVX", success,      "Sent DFU cmd"}
        << QVariantList() << sent;
    QTest::newRow("write times out")
        << Bus::Sensor << stalls
        << QStringList{opened, "Opened TVX", "Claimed IF TVX", success, "LIBUSB_ERROR_TIMEOUT"}
        << QVariantList() << sent;
}

void TestBootloaderCommand::command()
{
    QFETCH(Bus, bus);
    QFETCH(SensorFaults, faults);
    QFETCH(QStringList, lines);
    QFETCH(QVariantList, usbError);
    QFETCH(QList<QByteArray>, written);
    setUpBus(bus, faults);

    WithoutFileAccessOverride asNormalUser;
    Updater updater;
    // Only the stalled write is waited out; any other gets far more time than it takes.
    UpdaterTestAccess::timing(updater).bootloaderWriteTimeoutMs = faults.writeStalls ? 200 : 30000;
    if (bus == Bus::SensorGone)
        bed->unplugSensor(SensorTestbed::sensor, false);
    QSignalSpy usbErrors(&updater, &Updater::usbError);

    updater.sendBootloaderCommand();

    QCOMPARE(log->lines(), lines);
    QCOMPARE(usbErrors.count(), usbError.isEmpty() ? 0 : 1);
    if (!usbError.isEmpty())
        QCOMPARE(usbErrors.first(), usbError);
    QCOMPARE(bed->writes(), written);
}

void TestBootloaderCommand::secondCommandReopens()
{
    bed->plugSensor();
    Updater updater;
    updater.sendBootloaderCommand();
    log->clear();
    // The first command left its handle open; the second opens afresh and claims again.
    updater.sendBootloaderCommand();
    QCOMPARE(log->lines(), (QStringList{"Opened device : " + success, "Opened TVX",
                                        "Claimed IF TVX", success, "Sent DFU cmd"}));
    QCOMPARE(bed->writes(), (QList<QByteArray>{bootloaderCommand, bootloaderCommand}));
    QCOMPARE(bed->claimAttempts(), 2);
}

void TestBootloaderCommand::writeGivesUpAfterTwoSeconds()
{
    SensorFaults faults;
    faults.writeStalls = true;
    bed->plugSensor(SensorTestbed::sensor, faults);
    Updater updater;
    QElapsedTimer timer;
    timer.start();
    updater.sendBootloaderCommand();
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= 1990 && elapsed < 6000, qPrintable(QString::number(elapsed)));
    QCOMPARE(log->lines().last(), "LIBUSB_ERROR_TIMEOUT");
}

OVK_UMOCKDEV_TEST_MAIN(TestBootloaderCommand)
#include "tst_bootloadercommand.moc"
