// The serial port on Qt SerialPort: data arrives through the Qt event loop (the Qt host's, or
// any QCoreApplication's), so a program drawn with Qt needs nothing else watching the device.
#pragma once

#include "zylma/serial/serial_port.h"

#include <memory>

namespace zylma::serial {

// A port that opens at 9600 8N1 without flow control. Qt reports no parity, framing or break
// errors any more: a lost device comes as SerialEvent::Gone (the port closed), any other failure
// as SerialEvent::Other.
std::unique_ptr<SerialPort> makeQtSerialPort();

}  // namespace zylma::serial
