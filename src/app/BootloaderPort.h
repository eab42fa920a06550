// Finds the serial port that the sensor's bootloader presents after its restart.
#pragma once

#include <QString>

// Name of the first port, in enumeration order, with the bootloader's USB ids; empty if none.
QString findBootloaderPort();
