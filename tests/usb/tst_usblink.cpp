// UsbLink against the real libusb and an emulated sensor on umockdev.
#include "LogCapture.h"
#include "Privileges.h"
#include "SensorTestbed.h"
#include "UmockdevTest.h"
#include "UsbLink.h"

#include <QElapsedTimer>
#include <QtTest>
#include <libusb.h>
#include <memory>
#include <unistd.h>

namespace {
constexpr uint16_t vendor = 0x1915;
constexpr uint16_t product = 0x5203;
const QString openedOk =
    QStringLiteral("Opened device : ") + QString::fromLatin1(libusb_error_name(LIBUSB_SUCCESS));

// Bus order as libusb lists it: the description of the first sensor in the device list.
QString firstSensorInListOrder()
{
    libusb_context *context = nullptr;
    libusb_init(&context);
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    QString first;
    for (ssize_t i = 0; i < count && first.isEmpty(); ++i) {
        libusb_device_descriptor descriptor{};
        libusb_get_device_descriptor(list[i], &descriptor);
        if (descriptor.idVendor == vendor && descriptor.idProduct == product)
            first = libusb_get_device_address(list[i]) == 5 ? SensorTestbed::sensor
                                                            : SensorTestbed::secondSensor;
    }
    libusb_free_device_list(list, 1);
    libusb_exit(context);
    return first;
}

QStringList libusbLog;
void recordLibusbLog(libusb_context *, enum libusb_log_level, const char *line)
{
    libusbLog.append(QString::fromUtf8(line).trimmed());
}
} // namespace

class TestUsbLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void presence_data();
    void presence();
    void presenceLeavesOpenLinkAlone();
    void serialNumberReadOnceItCanBe();

    void openFindsFirstMatchOnly_data();
    void openFindsFirstMatchOnly();
    void openFailures_data();
    void openFailures();
    void openWithNothingFoundKeepsLastResult();
    void openClosesEarlierHandleFirst();

    void claim_data();
    void claim();
    void withoutHandleNothingReachesLibusb();

    void transfers();
    void stalledWriteTimesOut();
    void closeIsIdempotent();
    void destructorGivesBackOpenHandle();

private:
    std::unique_ptr<SensorTestbed> bed;
    std::unique_ptr<LogCapture> log;
};

void TestUsbLink::init()
{
    bed = std::make_unique<SensorTestbed>();
    log = std::make_unique<LogCapture>();
}

void TestUsbLink::cleanup()
{
    log.reset();
    bed.reset();
}

void TestUsbLink::presence_data()
{
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<bool>("present");
    // How each sensor and bootloader is told apart: "serial number@port path", sorted.
    QTest::addColumn<QStringList>("sensors");
    QTest::addColumn<QStringList>("bootloaders");

    QTest::newRow("empty bus") << QStringList() << false << QStringList() << QStringList();
    QTest::newRow("one sensor") << QStringList{SensorTestbed::sensor} << true
                                << QStringList{"TVX2024A0001@1-1"} << QStringList();
    QTest::newRow("two sensors") << QStringList{SensorTestbed::sensor, SensorTestbed::secondSensor}
                                 << true << QStringList{"TVX2024A0001@1-1", "TVX2024A0002@2-1"}
                                 << QStringList();
    // A bootloader may answer a serial number of its own; one that cannot be asked for one is
    // known by its port alone.
    QTest::newRow("bootloader with a serial number")
        << QStringList{SensorTestbed::bootloader} << false << QStringList()
        << QStringList{"TVXBL0001@1-1"};
    QTest::newRow("bootloader without one") << QStringList{SensorTestbed::secondBootloader} << false
                                            << QStringList() << QStringList{"@2-1"};
    QTest::newRow("other serial ports")
        << QStringList{SensorTestbed::portDecoys} << false << QStringList() << QStringList();
}

void TestUsbLink::presence()
{
    QFETCH(QStringList, devices);
    QFETCH(bool, present);
    QFETCH(QStringList, sensors);
    QFETCH(QStringList, bootloaders);
    for (const QString &device : devices) {
        if (device.startsWith(QLatin1String("sensor")))
            bed->plugSensor(device);
        else
            bed->plug(device);
    }
    UsbLink link(nullptr);
    QCOMPARE(link.isSensorPresent(vendor, product), present);
    QCOMPARE(link.countDevices(vendor, {product}), sensors.size());
    QCOMPARE(link.countDevices(vendor, {0x521F}), bootloaders.size());
    QCOMPARE(link.countDevices(vendor, {product, 0x521F}), sensors.size() + bootloaders.size());
    const auto described = [&link](uint16_t productId) {
        QStringList ids;
        for (const UsbDeviceId &id : link.identifyDevices(vendor, productId))
            ids.append(id.serialNumber + '@' + id.portPath);
        ids.sort();
        return ids;
    };
    for (int round = 0; round < 2; ++round) { // the second answers from what the first read
        QCOMPARE(described(product), sensors);
        QCOMPARE(described(0x521F), bootloaders);
    }
    QVERIFY(log->lines().isEmpty());
}

void TestUsbLink::presenceLeavesOpenLinkAlone()
{
    SensorFaults faults;
    faults.claimBusy = true;
    bed->plugSensor(SensorTestbed::sensor, faults);
    UsbLink link(nullptr);
    QVERIFY(link.open(vendor, product));
    QVERIFY(!link.claimInterface());

    QVERIFY(link.isSensorPresent(vendor, product));
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_BUSY));
    const unsigned char command = 0x12;
    QVERIFY(link.write(&command, 1, 1000)); // the handle is still open
    QCOMPARE(bed->writes().size(), 1);
}

void TestUsbLink::serialNumberReadOnceItCanBe()
{
    if (geteuid() != 0)
        QSKIP("opening a node as it could not be opened before needs root");
    // A device just plugged in, whose node's rights udev sets a moment later: its serial number
    // is not known at the first look, and is at the next.
    SensorFaults faults;
    faults.openDenied = true;
    bed->plugSensor(SensorTestbed::sensor, faults);
    UsbLink link(nullptr);
    {
        WithoutFileAccessOverride asNormalUser;
        QCOMPARE(link.identifyDevices(vendor, product).value(0).serialNumber, QString());
    }
    QCOMPARE(link.identifyDevices(vendor, product).value(0).serialNumber, "TVX2024A0001");
}

void TestUsbLink::openFindsFirstMatchOnly_data()
{
    QTest::addColumn<QString>("denied");
    QTest::newRow("first sensor refuses") << QString(SensorTestbed::sensor);
    QTest::newRow("second sensor refuses") << QString(SensorTestbed::secondSensor);
}

void TestUsbLink::openFindsFirstMatchOnly()
{
    QFETCH(QString, denied);
    SensorFaults refuse;
    refuse.openDenied = true;
    for (const char *description : {SensorTestbed::sensor, SensorTestbed::secondSensor})
        bed->plugSensor(description, description == denied ? refuse : SensorFaults());
    const QString first = firstSensorInListOrder();
    QVERIFY(!first.isEmpty());

    WithoutFileAccessOverride asNormalUser;
    UsbLink link(nullptr);
    const bool opened = link.open(vendor, product);

    // Only the first device of the list is ever tried, whether its open works or not.
    const bool firstRefuses = first == denied;
    QCOMPARE(opened, !firstRefuses);
    QCOMPARE(link.lastError(), firstRefuses ? int(LIBUSB_ERROR_ACCESS) : 0);
    QCOMPARE(log->lines(),
             QStringList{firstRefuses ? "Opened device : LIBUSB_ERROR_ACCESS" : openedOk});
    if (opened) {
        QVERIFY(link.claimInterface());
        QCOMPARE(bed->claimAttempts(first), 1);
        QCOMPARE(bed->claimAttempts(denied), 0);
    }
}

void TestUsbLink::openFailures_data()
{
    QTest::addColumn<bool>("denied");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("access denied")
        << true << int(LIBUSB_ERROR_ACCESS) << "Opened device : LIBUSB_ERROR_ACCESS";
    QTest::newRow("gone after enumeration")
        << false << int(LIBUSB_ERROR_NO_DEVICE) << "Opened device : LIBUSB_ERROR_NO_DEVICE";
}

void TestUsbLink::openFailures()
{
    QFETCH(bool, denied);
    QFETCH(int, error);
    QFETCH(QString, logLine);
    SensorFaults faults;
    faults.openDenied = denied;
    bed->plugSensor(SensorTestbed::sensor, faults);

    WithoutFileAccessOverride asNormalUser;
    UsbLink link(nullptr);
    if (!denied) // libusb has listed it; it goes away before the open
        bed->unplugSensor(SensorTestbed::sensor, false);
    QVERIFY(!link.open(vendor, product));
    QCOMPARE(link.lastError(), error);
    QCOMPARE(QString::fromLatin1(link.lastErrorName()),
             QString::fromLatin1(libusb_error_name(error)));
    QCOMPARE(log->lines(), QStringList{logLine});
}

void TestUsbLink::openWithNothingFoundKeepsLastResult()
{
    SensorFaults faults;
    faults.openDenied = true;
    bed->plugSensor(SensorTestbed::sensor, faults);
    WithoutFileAccessOverride asNormalUser;
    UsbLink link(nullptr);
    QVERIFY(!link.open(vendor, product));
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_ACCESS));

    bed->unplugSensor();
    QTRY_VERIFY(!link.isSensorPresent(vendor, product));
    log->clear();
    QVERIFY(!link.open(vendor, product));
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_ACCESS));
    QVERIFY(log->lines().isEmpty());
}

void TestUsbLink::openClosesEarlierHandleFirst()
{
    bed->plugSensor();
    UsbLink link(nullptr);
    QVERIFY(link.open(vendor, product));
    // A scan that finds nothing still gives the earlier handle up: a write no longer reaches
    // the sensor, which is still plugged in.
    QVERIFY(!link.open(vendor, 0x9999));
    const unsigned char byte = 0x12;
    QVERIFY(!link.write(&byte, 1, 500));
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_NO_DEVICE));
    QVERIFY(bed->writes().isEmpty());
}

void TestUsbLink::claim_data()
{
    QTest::addColumn<bool>("kernelDriver");
    QTest::addColumn<bool>("detachFails");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("claimed");
    QTest::addColumn<int>("detaches");
    QTest::addColumn<QStringList>("lines");

    const QString detachLine = "Error detaching kernel driver";
    const QString claimLine = "Error claiming interface";
    QTest::newRow("free interface") << false << false << false << true << 0 << QStringList();
    QTest::newRow("kernel driver detached") << true << false << false << true << 1 << QStringList();
    QTest::newRow("detach fails, claim works")
        << true << true << false << true << 1 << QStringList{detachLine};
    QTest::newRow("busy") << false << false << true << false << 0 << QStringList{claimLine};
    QTest::newRow("detach fails and busy")
        << true << true << true << false << 1 << QStringList{detachLine, claimLine};
}

void TestUsbLink::claim()
{
    QFETCH(bool, kernelDriver);
    QFETCH(bool, detachFails);
    QFETCH(bool, busy);
    QFETCH(bool, claimed);
    QFETCH(int, detaches);
    QFETCH(QStringList, lines);
    SensorFaults faults;
    faults.kernelDriverAttached = kernelDriver;
    faults.detachFails = detachFails;
    faults.claimBusy = busy;
    bed->plugSensor(SensorTestbed::sensor, faults);

    UsbLink link(nullptr);
    QVERIFY(link.open(vendor, product));
    log->clear();
    QCOMPARE(link.claimInterface(), claimed);
    // After a claim the recorded result is the claim's, never the detach's.
    QCOMPARE(link.lastError(), claimed ? 0 : int(LIBUSB_ERROR_BUSY));
    QCOMPARE(bed->detachAttempts(), detaches);
    QCOMPARE(bed->claimAttempts(), 1);
    QCOMPARE(log->lines(), lines);
}

void TestUsbLink::withoutHandleNothingReachesLibusb()
{
    bed->plugSensor();
    UsbLink link(nullptr);
    unsigned char byte = 0x12;
    QByteArray bytes(4, '\0');
    QVERIFY(!link.claimInterface());
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_NO_DEVICE));
    QVERIFY(!link.write(&byte, 1, 100));
    QVERIFY(!link.read(&byte, 1, 100));
    QVERIFY(!link.write(bytes, 100));
    QVERIFY(!link.read(bytes, 4, 100));
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_NO_DEVICE));
    QCOMPARE(bed->claimAttempts(), 0);
    QVERIFY(bed->writes().isEmpty());
}

void TestUsbLink::transfers()
{
    bed->plugSensor();
    UsbLink link(nullptr);
    QVERIFY(link.open(vendor, product));
    QVERIFY(link.claimInterface());

    const unsigned char command = 0x12;
    QVERIFY(link.write(&command, 1, 1000));
    QByteArray block("\x01\x00\x7f", 3);
    QVERIFY(link.write(block, 1000));
    QCOMPARE(bed->writes(), (QList<QByteArray>{QByteArray(1, '\x12'), block}));
    QCOMPARE(link.lastError(), 0);

    QByteArray answer(8, 'x');
    QVERIFY(link.read(answer, 8, 1000));
    QCOMPARE(answer.size(), 8); // read into the caller's storage, never resized
    QCOMPARE(log->lines(), QStringList{openedOk});

    // Lengths that would make libusb write past a buffer, or pass a nonsense size, never reach it.
    unsigned char buffer[4] = {};
    QByteArray small(4, 'x');
    QVERIFY(!link.read(small, 5, 1000));
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_INVALID_PARAM));
    QCOMPARE(small, QByteArray(4, 'x'));
    QVERIFY(!link.read(small, -1, 1000));
    QVERIFY(!link.read(buffer, -1, 1000));
    QVERIFY(!link.write(buffer, -1, 1000));
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_INVALID_PARAM));
    QCOMPARE(bed->writes().size(), 2);
}

void TestUsbLink::stalledWriteTimesOut()
{
    SensorFaults faults;
    faults.writeStalls = true;
    bed->plugSensor(SensorTestbed::sensor, faults);
    UsbLink link(nullptr);
    QVERIFY(link.open(vendor, product));
    QVERIFY(link.claimInterface());

    QElapsedTimer timer;
    timer.start();
    const unsigned char command = 0x12;
    QVERIFY(!link.write(&command, 1, 300));
    QVERIFY(timer.elapsed() >= 290);
    QCOMPARE(link.lastError(), int(LIBUSB_ERROR_TIMEOUT));
    QCOMPARE(QString::fromLatin1(link.lastErrorName()), "LIBUSB_ERROR_TIMEOUT");
}

void TestUsbLink::closeIsIdempotent()
{
    bed->plugSensor();
    UsbLink link(nullptr);
    link.close(); // closed link: nothing happens
    QVERIFY(link.open(vendor, product));
    link.close();
    link.close();
    const unsigned char command = 0x12;
    QVERIFY(!link.write(&command, 1, 100));
    QVERIFY(bed->writes().isEmpty());
    // Opening again after a close works, and the destructor may find the handle open.
    QVERIFY(link.open(vendor, product));
}

void TestUsbLink::destructorGivesBackOpenHandle()
{
    bed->plugSensor();
    libusbLog.clear();
    libusb_set_log_cb(nullptr, recordLibusbLog, LIBUSB_LOG_CB_GLOBAL);
    qputenv("LIBUSB_DEBUG", "2"); // warnings, from contexts made from now on
    {
        UsbLink link(nullptr);
        QVERIFY(link.open(vendor, product));
        QVERIFY(link.claimInterface());
    }
    qunsetenv("LIBUSB_DEBUG");
    libusb_set_log_cb(nullptr, nullptr, LIBUSB_LOG_CB_GLOBAL);
    // libusb says so when its context ends with a device still open.
    QVERIFY2(libusbLog.filter("left some devices open").isEmpty(),
             qPrintable(libusbLog.join('\n')));
}

OVK_UMOCKDEV_TEST_MAIN(TestUsbLink)
#include "tst_usblink.moc"
