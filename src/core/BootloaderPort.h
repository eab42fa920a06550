// Finds the serial port that the sensor's bootloader presents after its restart.
#pragma once

#include <QString>
#include <QStringList>

// Name of the first port, in enumeration order, with the bootloader's USB ids; empty if none.
QString findBootloaderPort();
// Names of every such port, in enumeration order.
QStringList bootloaderPorts();
