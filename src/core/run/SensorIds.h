// USB identity of the sensor: its application and the serial port of its bootloader.
#pragma once

#include <cstdint>

namespace SensorIds {
constexpr uint16_t vendorId = 0x1915;
constexpr uint16_t applicationProductId = 0x5203;
constexpr uint16_t bootloaderProductId = 0x521F;
} // namespace SensorIds
