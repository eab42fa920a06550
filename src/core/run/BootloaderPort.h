// Finds the serial ports that the sensor's bootloader presents after its restart, and where on
// the USB bus each one is.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct BootloaderPort
{
    QString name;
    // The USB port of the device that presents it, as UsbDeviceId spells it ("1-4.2"); empty
    // where the platform cannot tell.
    QString usbPortPath;
};

// Every port with the bootloader's USB ids, in enumeration order.
QList<BootloaderPort> bootloaderPorts();

// The port to flash for the sensor that was plugged in at sensorPortPath when the update
// began: the first on that USB port. A port whose place is not known (or a sensor whose place
// is not) may be taken only if it was not there then (portsAtPress): never a bootloader that
// another sensor had left waiting; and never where byPlaceOnly (a group, whose other sensors'
// ports are new too). Empty when there is none.
QString portOfSensor(const QList<BootloaderPort> &ports, const QString &sensorPortPath,
                     const QStringList &portsAtPress, bool byPlaceOnly = false);
