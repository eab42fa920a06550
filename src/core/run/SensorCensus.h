// The sensors plugged in at one moment. A sensor shows as a running application on USB, or as
// its bootloader on USB with one or more serial ports: each is counted once, by its USB place.
// What cannot be told apart is never merged: a device or port whose place is unknown is a
// sensor of its own.
#pragma once

#include "BootloaderPort.h"
#include "UsbLink.h"

struct CensusSensor
{
    UsbDeviceId id;              // productId says whether it runs or waits in its bootloader
    QList<BootloaderPort> ports; // its bootloader's serial ports, first to be flashed first
    bool placeKnown() const { return !id.portPath.isEmpty(); }
    bool waitsInBootloader() const { return !ports.isEmpty(); }
};

class SensorCensus
{
public:
    static SensorCensus take(UsbLink &link);
    // Of what was seen: running sensors and bootloaders on USB, and the bootloaders' ports.
    static SensorCensus of(const QList<UsbDeviceId> &running, const QList<UsbDeviceId> &bootloaders,
                           const QList<BootloaderPort> &ports);

    int count() const { return found.size(); }
    const QList<CensusSensor> &sensors() const { return found; }
    // Every bootloader port there was, whatever sensor it belongs to.
    QStringList portNames() const;

private:
    QList<CensusSensor> found;
    QStringList allPorts;
};
