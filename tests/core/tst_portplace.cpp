// Where a serial port sits on the USB bus: Windows' location paths read as libusb's places,
// which port places stand for which device places, and the sensors they add up to at a press.
#include "BootloaderPort.h"
#include "PortPlace.h"
#include "SensorCensus.h"
#include "SensorIds.h"
#include "UpdateGroup.h"

#include <QtTest>

class TestPortPlace : public QObject
{
    Q_OBJECT

private slots:
    void fromLocationPath_data();
    void fromLocationPath();
    void matches_data();
    void matches();
    void census_data();
    void census();
    void portTaken_data();
    void portTaken();
    void groupRefusals_data();
    void groupRefusals();
};

void TestPortPlace::fromLocationPath_data()
{
    QTest::addColumn<QString>("locationPath"); // as SetupAPI gives it, a MULTI_SZ's NULs included
    QTest::addColumn<QString>("place");

    const QString xhci = "PCIROOT(0)#PCI(1400)#USBROOT(0)";
    const QString acpi = "ACPI(_SB_)#ACPI(PCI0)#ACPI(XHC_)#ACPI(RHUB)#ACPI(HS04)#USB(2)";
    QTest::newRow("a root hub's port") << xhci + "#USB(4)"
                                       << "?-4";
    QTest::newRow("a port numbered past 9") << xhci + "#USB(12)"
                                            << "?-12";
    QTest::newRow("a hub's port") << xhci + "#USB(4)#USB(2)"
                                  << "?-4.2";
    QTest::newRow("hubs four tiers deep, behind a PCI bridge")
        << "PCIROOT(0)#PCI(0801)#PCI(0000)#USBROOT(0)#USB(1)#USB(3)#USB(4)#USB(2)"
        << "?-1.3.4.2";
    QTest::newRow("a composite device's interface") << xhci + "#USB(4)#USB(2)#USBMI(1)"
                                                    << "?-4.2";
    QTest::newRow("with an ACPI path after it")
        << xhci + "#USB(4)#USB(2)" + QChar(0) + acpi + QChar(0) << "?-4.2";
    QTest::newRow("with an ACPI path before it") << acpi + QChar(0) + xhci + "#USB(4)#USB(2)"
                                                 << "?-4.2";
    QTest::newRow("as Windows spells it in lower case") << "pciroot(0)#pci(1400)#usbroot(0)#usb(3)"
                                                        << "?-3";
    // Not a USB port that libusb would name.
    QTest::newRow("the root hub itself") << xhci << "";
    QTest::newRow("an ACPI path alone") << acpi << "";
    QTest::newRow("a serial port on the mainboard") << "ACPI(_SB_)#ACPI(PCI0)#ACPI(LPCB)#ACPI(UAR1)"
                                                    << "";
    QTest::newRow("a PCI serial card") << "PCIROOT(0)#PCI(1C04)#PCI(0000)"
                                       << "";
    QTest::newRow("port 0") << xhci + "#USB(0)"
                            << "";
    QTest::newRow("a port beyond 255") << xhci + "#USB(256)"
                                       << "";
    QTest::newRow("a port in hexadecimal") << xhci + "#USB(1A)"
                                           << "";
    QTest::newRow("an unknown step below the hub") << xhci + "#USB(4)#SD(1)"
                                                   << "";
    QTest::newRow("something below an interface") << xhci + "#USB(4)#USBMI(0)#USB(1)"
                                                  << "";
    QTest::newRow("more tiers than USB allows")
        << xhci + "#USB(1)#USB(1)#USB(1)#USB(1)#USB(1)#USB(1)#USB(1)#USB(1)"
        << "";
    QTest::newRow("nothing") << ""
                             << "";
}

void TestPortPlace::fromLocationPath()
{
    QFETCH(QString, locationPath);
    QFETCH(QString, place);
    QCOMPARE(PortPlace::fromLocationPath(locationPath), place);
}

void TestPortPlace::matches_data()
{
    QTest::addColumn<QString>("portPlace");
    QTest::addColumn<QString>("devicePlace"); // libusb's, bus first
    QTest::addColumn<bool>("same");

    QTest::newRow("the same place") << "1-4.2"
                                    << "1-4.2" << true;
    QTest::newRow("another bus") << "1-4.2"
                                 << "2-4.2" << false;
    QTest::newRow("any bus, the same ports") << "?-4.2"
                                             << "3-4.2" << true;
    QTest::newRow("any bus, a bus past 9") << "?-4.2"
                                           << "12-4.2" << true;
    QTest::newRow("any bus, the hub above") << "?-4"
                                            << "1-4.2" << false;
    QTest::newRow("any bus, a port below") << "?-4.2"
                                           << "1-4" << false;
    QTest::newRow("any bus, a port that ends alike") << "?-4"
                                                     << "1-14" << false;
    QTest::newRow("a device without a bus is not any bus") << "1-4"
                                                           << "?-4" << false;
    QTest::newRow("a port of unknown place") << ""
                                             << "1-4" << false;
    QTest::newRow("a device of unknown place") << "?-4"
                                               << "" << false;
    QTest::newRow("both unknown") << ""
                                  << "" << false;
}

void TestPortPlace::matches()
{
    QFETCH(QString, portPlace);
    QFETCH(QString, devicePlace);
    QFETCH(bool, same);
    QCOMPARE(PortPlace::matches(portPlace, devicePlace), same);
}

void TestPortPlace::census_data()
{
    // Devices as "place" (empty: its port numbers could not be read), ports as "name@place".
    QTest::addColumn<QStringList>("running");
    QTest::addColumn<QStringList>("bootloaders");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QStringList>("sensors"); // each "place:its ports", in the census's order

    const QStringList none;
    // What cannot be told apart is never merged: two places unknown are two sensors.
    QTest::newRow("two running sensors whose port numbers cannot be read")
        << QStringList{"", ""} << none << none << QStringList{":", ":"};
    QTest::newRow("a bootloader with two ports")
        << none << QStringList{"1-4"} << QStringList{"ttyACM0@1-4", "ttyACM1@1-4"}
        << QStringList{"1-4:ttyACM0,ttyACM1"};
    QTest::newRow("a bootloader and its port on Windows, whose bus is not told")
        << none << QStringList{"2-4.2"} << QStringList{"COM5@?-4.2"} << QStringList{"2-4.2:COM5"};
    QTest::newRow("a port whose place cannot be read, and the one bootloader on USB")
        << none << QStringList{"1-4"} << QStringList{"ttyACM0@"} << QStringList{"1-4:ttyACM0"};
    QTest::newRow("two ports whose places cannot be read, and no bootloader on USB")
        << none << none << QStringList{"ttyACM0@", "ttyACM1@"}
        << QStringList{":ttyACM0", ":ttyACM1"};
    QTest::newRow("a running sensor, and another's bootloader that libusb does not list")
        << QStringList{"1-4"} << none << QStringList{"ttyACM3@1-5"}
        << QStringList{"1-4:", "1-5:ttyACM3"};
}

void TestPortPlace::census()
{
    QFETCH(QStringList, running);
    QFETCH(QStringList, bootloaders);
    QFETCH(QStringList, ports);
    QFETCH(QStringList, sensors);
    const auto devices = [](const QStringList &places, uint16_t productId) {
        QList<UsbDeviceId> found;
        for (const QString &place : places)
            found.append({QString(), place, productId});
        return found;
    };
    QList<BootloaderPort> found;
    for (const QString &port : ports)
        found.append({port.section('@', 0, 0), port.section('@', 1)});
    const SensorCensus census =
        SensorCensus::of(devices(running, SensorIds::applicationProductId),
                         devices(bootloaders, SensorIds::bootloaderProductId), found);
    QStringList told;
    for (const CensusSensor &sensor : census.sensors()) {
        QStringList names;
        for (const BootloaderPort &port : sensor.ports)
            names << port.name;
        told << sensor.id.portPath + ':' + names.join(',');
    }
    QCOMPARE(told, sensors);
    QCOMPARE(census.count(), sensors.size());
}

void TestPortPlace::portTaken_data()
{
    QTest::addColumn<QStringList>("ports"); // "name@place", in enumeration order
    QTest::addColumn<QString>("sensor");    // its place at the press
    QTest::addColumn<bool>("byPlaceOnly");  // a group's run
    QTest::addColumn<QString>("taken");

    const QStringList unplaced{"ttyACM0@"};
    QTest::newRow("a new port whose place is unknown, alone")
        << unplaced << "1-4" << false << "ttyACM0";
    // Every sensor of a group restarts at once: a new port may be any of theirs.
    QTest::newRow("a new port whose place is unknown, in a group")
        << unplaced << "1-4" << true << "";
    QTest::newRow("its own place, in a group")
        << QStringList{"ttyACM0@", "ttyACM1@1-4"} << "1-4" << true << "ttyACM1";
}

void TestPortPlace::portTaken()
{
    QFETCH(QStringList, ports);
    QFETCH(QString, sensor);
    QFETCH(bool, byPlaceOnly);
    QFETCH(QString, taken);
    QList<BootloaderPort> found;
    for (const QString &port : ports)
        found.append({port.section('@', 0, 0), port.section('@', 1)});
    QCOMPARE(portOfSensor(found, sensor, {}, byPlaceOnly), taken);
}

void TestPortPlace::groupRefusals_data()
{
    QTest::addColumn<QStringList>("places"); // of the sensors at the press; empty: unknown
    QTest::addColumn<bool>("busKnown");
    QTest::addColumn<QStringList>("refused");

    QTest::newRow("two on one port chain of two buses")
        << QStringList{"1-4", "2-4"} << true << QStringList();
    // Windows tells a port's chain but not its bus: each could take the other's port.
    QTest::newRow("two on one port chain, where no bus is told")
        << QStringList{"1-4", "2-4"} << false << QStringList{"1-4", "2-4"};
    QTest::newRow("two chains, where no bus is told")
        << QStringList{"1-4", "1-4.2"} << false << QStringList();
    QTest::newRow("a place unknown") << QStringList{"1-4", ""} << true << QStringList{""};
}

void TestPortPlace::groupRefusals()
{
    QFETCH(QStringList, places);
    QFETCH(bool, busKnown);
    QFETCH(QStringList, refused);
    QList<CensusSensor> sensors;
    for (const QString &place : places)
        sensors.append(CensusSensor{{QString(), place, SensorIds::applicationProductId}, {}});
    QStringList told;
    for (const CensusSensor &sensor : qAsConst(sensors)) {
        if (!UpdateGroup::refusalOf(sensor, sensors, busKnown).isEmpty())
            told << sensor.id.portPath;
    }
    QCOMPARE(told, refused);
}

QTEST_GUILESS_MAIN(TestPortPlace)
#include "tst_portplace.moc"
