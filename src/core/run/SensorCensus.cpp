// The sensors plugged in at one moment (see SensorCensus.h).
#include "SensorCensus.h"

#include "SensorIds.h"

#include <QSet>

SensorCensus SensorCensus::take(UsbLink &link)
{
    SensorCensus census;
    census.running = link.identifyDevices(SensorIds::vendorId, SensorIds::applicationProductId);
    census.bootloaders = link.identifyDevices(SensorIds::vendorId, SensorIds::bootloaderProductId);
    census.ports = ::bootloaderPorts();
    return census;
}

int SensorCensus::count() const
{
    QSet<QString> places;
    for (const UsbDeviceId &device : running + bootloaders)
        places.insert(device.portPath);
    int portsElsewhere = 0;
    for (const BootloaderPort &port : ports) {
        if (!port.usbPortPath.isEmpty())
            places.insert(port.usbPortPath);
        else
            ++portsElsewhere;
    }
    // Where a port's place cannot be told, its bootloader is one of those on USB; only a bus
    // that shows none leaves the ports to be counted.
    return places.size() + (bootloaders.isEmpty() ? portsElsewhere : 0);
}

UsbDeviceId SensorCensus::sensor() const
{
    return running.isEmpty() ? bootloaders.value(0) : running.first();
}

QStringList SensorCensus::portNames() const
{
    QStringList names;
    for (const BootloaderPort &port : ports)
        names.append(port.name);
    return names;
}
