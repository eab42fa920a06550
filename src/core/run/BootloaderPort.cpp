// Finds the serial ports that the sensor's bootloader presents after its restart (see
// BootloaderPort.h).
#include "BootloaderPort.h"

#include "SensorIds.h"

#include <QFile>
#include <QRegularExpression>
#include <QSerialPortInfo>
#ifdef Q_OS_LINUX
#include <climits>
#include <unistd.h>
#endif

namespace {
// Linux names a USB device in sysfs by its place ("1-4.2"); its interfaces add ":1.0".
QString usbPortPathOf(const QString &portName)
{
#ifdef Q_OS_LINUX
    char target[PATH_MAX] = {};
    const QByteArray link = QFile::encodeName(QStringLiteral("/sys/class/tty/") + portName);
    const ssize_t length = readlink(link.constData(), target, sizeof target - 1);
    if (length <= 0)
        return QString();
    static const QRegularExpression usbDevice(QStringLiteral("^\\d+-\\d+(\\.\\d+)*$"));
    const QStringList parts = QFile::decodeName(QByteArray(target, int(length))).split('/');
    for (auto it = parts.crbegin(); it != parts.crend(); ++it) {
        if (usbDevice.match(*it).hasMatch())
            return *it;
    }
    return QString();
#else
    Q_UNUSED(portName)
    return QString();
#endif
}
} // namespace

QList<BootloaderPort> bootloaderPorts()
{
    QList<BootloaderPort> found;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        // Ports without USB ids report 0 and never match.
        if (port.vendorIdentifier() == SensorIds::vendorId &&
            port.productIdentifier() == SensorIds::bootloaderProductId)
            found.append({port.portName(), usbPortPathOf(port.portName())});
    }
    return found;
}

QString portOfSensor(const QList<BootloaderPort> &ports, const QString &sensorPortPath,
                     const QStringList &portsAtPress)
{
    for (const BootloaderPort &port : ports) {
        const bool placesKnown = !sensorPortPath.isEmpty() && !port.usbPortPath.isEmpty();
        if (placesKnown ? port.usbPortPath == sensorPortPath : !portsAtPress.contains(port.name))
            return port.name;
    }
    return QString();
}
