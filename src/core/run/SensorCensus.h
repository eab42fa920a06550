// The sensors plugged in at one moment. A sensor shows as a running application on USB, or as
// its bootloader on USB with one or more serial ports: each is counted once, by its USB port.
#pragma once

#include "BootloaderPort.h"
#include "UsbLink.h"

class SensorCensus
{
public:
    static SensorCensus take(UsbLink &link);

    int count() const;
    // The one sensor waits in its bootloader, its serial port already there to be flashed.
    bool waitsInBootloader() const { return running.isEmpty() && !ports.isEmpty(); }
    // The sensor on USB, running or in its bootloader (the first, where there are several).
    UsbDeviceId sensor() const;
    QStringList portNames() const;
    const QList<BootloaderPort> &bootloaderPorts() const { return ports; }

private:
    QList<UsbDeviceId> running;
    QList<UsbDeviceId> bootloaders;
    QList<BootloaderPort> ports;
};
