// Finds the serial port that the sensor's bootloader presents after its restart.
#include "BootloaderPort.h"

#include "SensorIds.h"

#include <QSerialPortInfo>

QString findBootloaderPort()
{
    return bootloaderPorts().value(0);
}

QStringList bootloaderPorts()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        // Ports without USB ids report 0 and never match.
        if (port.vendorIdentifier() == SensorIds::vendorId &&
            port.productIdentifier() == SensorIds::bootloaderProductId)
            names.append(port.portName());
    }
    return names;
}
