// The command that makes a running sensor restart into its bootloader (see BootloaderCommand.h).
#include "BootloaderCommand.h"

#include "SensorIds.h"
#include "UsbLink.h"

#include <QDebug>

namespace {
constexpr unsigned char command = 0x12;
}

bool BootloaderCommand::send(UsbLink &link, const QString &place, int writeTimeoutMs)
{
    if (!link.open(SensorIds::vendorId, SensorIds::applicationProductId, place)) {
        qDebug() << link.lastError() << link.lastErrorName();
        return false;
    }
    qDebug() << "Opened TVX";
    if (link.claimInterface())
        qDebug() << "Claimed IF TVX";
    qDebug() << link.lastErrorName();

    if (link.write(&command, 1, uint32_t(writeTimeoutMs)))
        qDebug() << "Sent DFU cmd";
    else
        qDebug() << link.lastErrorName();
    return true;
}
