// Where on the USB bus a serial port sits (see PortPlace.h): what every platform shares. Where
// the platform looks is PortPlace_linux.cpp's and PortPlace_win.cpp's.
#include "PortPlace.h"

#include <QStringList>

QString PortPlace::fromLocationPath(const QString &)
{
    return QString();
}

bool PortPlace::matches(const QString &portPlace, const QString &devicePlace)
{
    if (portPlace.isEmpty() || devicePlace.isEmpty())
        return false;
    if (portPlace == devicePlace)
        return true;
    const auto chainOf = [](const QString &place) {
        return place.section(QLatin1Char('-'), 1);
    };
    const bool anyBus = portPlace.startsWith(QLatin1String("?-"));
    return anyBus && chainOf(portPlace) == chainOf(devicePlace);
}
