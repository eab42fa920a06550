// Where on the USB bus a serial port sits (see PortPlace.h): what every platform shares. Where
// the platform looks is PortPlace_linux.cpp's and PortPlace_win.cpp's.
#include "PortPlace.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {
// The port of a step "USB(4)"; 0 where the step is none (libusb reads the number as decimal).
int portNumber(const QString &step)
{
    static const QRegularExpression port(QStringLiteral("^USB\\((\\d{1,3})\\)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const int number = port.match(step).captured(1).toInt();
    return number <= 255 ? number : 0;
}

bool isInterfaceStep(const QString &step)
{
    static const QRegularExpression usbInterface(QStringLiteral("^USBMI\\(\\d+\\)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    return usbInterface.match(step).hasMatch();
}
} // namespace

// Windows names a device by its way down the device tree: "PCIROOT(0)#PCI(1400)#USBROOT(0)"
// is a root hub, each "#USB(n)" below it a port, and a composite device's interface adds
// "#USBMI(n)", which is on its device's place. A MULTI_SZ value holds several such paths (an
// ACPI one beside it) separated by NULs: the first through a USB root hub is the place.
// Windows numbers its root hubs otherwise than libusb numbers its buses: the bus is "?".
QString PortPlace::fromLocationPath(const QString &locationPath)
{
    constexpr int mostTiers = 7; // USB's limit, and libusb's
    for (const QString &path : locationPath.split(QChar(0), Qt::SkipEmptyParts)) {
        const QStringList steps = path.split(QLatin1Char('#'));
        const auto root = std::find_if(steps.cbegin(), steps.cend(), [](const QString &step) {
            return step.startsWith(QLatin1String("USBROOT("), Qt::CaseInsensitive);
        });
        if (root == steps.cend())
            continue;
        QStringList ports;
        for (auto step = root + 1; step != steps.cend(); ++step) {
            const int number = portNumber(*step);
            if (number > 0 && ports.size() < mostTiers)
                ports << QString::number(number);
            else if (!isInterfaceStep(*step) || step + 1 != steps.cend())
                return QString(); // not a USB port as libusb would name it
        }
        return ports.isEmpty() ? QString() : QStringLiteral("?-") + ports.join(QLatin1Char('.'));
    }
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
