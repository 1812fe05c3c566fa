#pragma once

#include <termios.h>

#include "serial/serial_platform.h"

namespace velanto {

// The line attributes that a device control block carries on a POSIX system.
termios LineAttributes(const DeviceControlBlock& control);
void KeepLineAttributes(DeviceControlBlock& control, const termios& attributes);

// The block's attributes made raw (no echo, no line editing, no translation, no flow control), receiver on,
// modem lines ignored, with the block's speed, parity, data and stop bits.
termios RawLineAttributes(const DeviceControlBlock& control);

}  // namespace velanto
