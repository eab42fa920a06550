// The sensors plugged in at one moment (see SensorCensus.h).
#include "SensorCensus.h"

#include "PortPlace.h"
#include "SensorIds.h"

#include <algorithm>

SensorCensus SensorCensus::take(UsbLink &link)
{
    return of(link.identifyDevices(SensorIds::vendorId, SensorIds::applicationProductId),
              link.identifyDevices(SensorIds::vendorId, SensorIds::bootloaderProductId),
              bootloaderPorts());
}

SensorCensus SensorCensus::of(const QList<UsbDeviceId> &running,
                              const QList<UsbDeviceId> &bootloaders,
                              const QList<BootloaderPort> &ports)
{
    SensorCensus census;
    for (const BootloaderPort &port : ports)
        census.allPorts << port.name;
    for (const UsbDeviceId &device : running)
        census.found.append({device, {}});
    QList<BootloaderPort> unplaced = ports;
    for (const UsbDeviceId &device : bootloaders) {
        CensusSensor sensor{device, {}};
        for (auto it = unplaced.begin(); it != unplaced.end();) {
            if (PortPlace::matches(it->usbPortPath, device.portPath)) {
                sensor.ports.append(*it);
                it = unplaced.erase(it);
            } else {
                ++it;
            }
        }
        census.found.append(sensor);
    }
    QList<BootloaderPort> placeUnknown;
    for (const BootloaderPort &port : qAsConst(unplaced)) {
        if (port.usbPortPath.isEmpty()) {
            placeUnknown.append(port);
            continue;
        }
        // Ports of one place are one bootloader's, one that libusb did not list.
        auto samePlace = std::find_if(census.found.begin(), census.found.end(), [&](auto &sensor) {
            return !sensor.ports.isEmpty() && sensor.ports.first().usbPortPath == port.usbPortPath;
        });
        if (samePlace != census.found.end()) {
            samePlace->ports.append(port);
            continue;
        }
        UsbDeviceId id;
        id.productId = SensorIds::bootloaderProductId;
        // A place without its bus is no place to lock or to look for.
        if (!port.usbPortPath.startsWith(QLatin1String("?-")))
            id.portPath = port.usbPortPath;
        census.found.append({id, {port}});
    }
    // Ports that do not say where they are belong to the one bootloader on USB without ports;
    // where there is not exactly one, each is a sensor of its own.
    QList<CensusSensor *> portless;
    for (CensusSensor &sensor : census.found) {
        if (sensor.id.productId == SensorIds::bootloaderProductId && sensor.ports.isEmpty())
            portless.append(&sensor);
    }
    if (portless.size() == 1) {
        portless.first()->ports += placeUnknown;
    } else {
        for (const BootloaderPort &port : qAsConst(placeUnknown)) {
            UsbDeviceId id;
            id.productId = SensorIds::bootloaderProductId;
            census.found.append({id, {port}});
        }
    }
    return census;
}

QStringList SensorCensus::portNames() const
{
    return allPorts;
}
