// Where on the USB bus a serial port sits, spelled as UsbDeviceId spells a device's place:
// bus, then the port numbers from the root hub ("1-4.2").
#pragma once

#include <QString>

namespace PortPlace {
// The place of the USB device that presents portName ("ttyACM0", "COM5"); empty where the
// platform cannot tell.
QString of(const QString &portName);

// Windows: the place in a device's location path as SetupAPI gives it
// ("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(4)#USB(2)"): its port chain, with "?" for the bus,
// which Windows numbers otherwise than libusb ("?-4.2"); empty where it names no USB port.
QString fromLocationPath(const QString &locationPath);

// Whether this platform tells a port's bus: where it does not (Windows), two sensors on the same
// port chain of two buses cannot be told apart by their ports.
bool knowsBus();

// Whether a port's place and a device's place are the same USB port. A place whose bus is "?"
// matches that port chain on any bus; an empty place matches nothing.
bool matches(const QString &portPlace, const QString &devicePlace);
} // namespace PortPlace
