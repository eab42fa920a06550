// Finds the serial ports that the sensor's bootloader presents after its restart (see
// BootloaderPort.h).
#include "BootloaderPort.h"

#include "SensorIds.h"

#include "PortPlace.h"

#include <QSerialPortInfo>

QList<BootloaderPort> bootloaderPorts()
{
    QList<BootloaderPort> found;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        // Ports without USB ids report 0 and never match.
        if (port.vendorIdentifier() == SensorIds::vendorId &&
            port.productIdentifier() == SensorIds::bootloaderProductId)
            found.append({port.portName(), PortPlace::of(port.portName())});
    }
    return found;
}

QString portOfSensor(const QList<BootloaderPort> &ports, const QString &sensorPortPath,
                     const QStringList &portsAtPress, bool byPlaceOnly)
{
    for (const BootloaderPort &port : ports) {
        const bool placesKnown = !sensorPortPath.isEmpty() && !port.usbPortPath.isEmpty();
        if (placesKnown ? PortPlace::matches(port.usbPortPath, sensorPortPath)
                        : !byPlaceOnly && !portsAtPress.contains(port.name))
            return port.name;
    }
    return QString();
}
