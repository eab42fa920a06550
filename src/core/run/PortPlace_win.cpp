// Where on the USB bus a serial port sits, on Windows (see PortPlace.h).
#include "PortPlace.h"

QString PortPlace::of(const QString &)
{
    return QString();
}
