#pragma once

// Before the system's header: it defines some of the same names (RTS_CONTROL_ENABLE, ...) as macros, with the
// same values, which would otherwise cut into their declarations.
#include "serial/serial_platform.h"

#include <windows.h>

namespace velanto {

// The device's DCB that a device control block carries on Windows, with the block's own settings applied.
DCB NativeBlock(const DeviceControlBlock& control);
// Keeps `dcb` in the block and takes the block's settings from it.
void KeepNativeBlock(DeviceControlBlock& control, const DCB& dcb);

}  // namespace velanto
