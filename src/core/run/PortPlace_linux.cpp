// Where on the USB bus a serial port sits, on Linux (see PortPlace.h): sysfs names a USB device
// by its place ("1-4.2"), and its interfaces add ":1.0"; a tty links into that tree.
#include "PortPlace.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <climits>
#include <unistd.h>

QString PortPlace::of(const QString &portName)
{
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
}

bool PortPlace::knowsBus()
{
    return true;
}
