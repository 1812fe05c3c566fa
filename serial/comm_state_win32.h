#pragma once

#include <windows.h>

#include "serial/serial_platform.h"

namespace velanto {

// The device's DCB that a device control block carries on Windows, with the block's own settings applied.
DCB NativeBlock(const DeviceControlBlock& control);
// Keeps `dcb` in the block and takes the block's settings from it.
void KeepNativeBlock(DeviceControlBlock& control, const DCB& dcb);

}  // namespace velanto
