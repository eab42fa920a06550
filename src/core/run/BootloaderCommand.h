// The one-byte command that makes a running sensor restart into its bootloader.
#pragma once

#include <QString>

class UsbLink;

namespace BootloaderCommand {
// Opens the sensor at place (any sensor where place is empty), claims its interface 0 and writes
// the command. False when the sensor could not be opened: link.lastError() says why. A failed
// claim or write goes on (the sensor may have restarted already) and is only logged.
bool send(UsbLink &link, const QString &place, int writeTimeoutMs);
} // namespace BootloaderCommand
