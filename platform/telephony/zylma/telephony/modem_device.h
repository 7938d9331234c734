// Taking a serial device the way the machine's serial programs do (Qt SerialPort among them):
// a lock file "LCK..<name>" in the first writable lock folder, holding the holder's process ID
// on its first line. A lock whose process is gone is stale and taken over.
#pragma once

#include <string>

namespace zylma::telephony::modem_device {

// The lock file for a device: "/dev/ttyACM0" gives "<folder>/LCK..ttyACM0", "/dev/pts/3"
// "<folder>/LCK..pts_3". The folder is ZYLMA_LOCK_DIR when set, else the first writable one
// of the usual lock folders.
std::string lockPath(const std::string& device);

// Takes the lock for `device`: true and `held` set to the file this process now holds, or
// false and `why` in words ("en uso por el proceso 1234 (...)"). When no lock can be written
// at all (no writable lock folder) the device is taken without one and `held` stays empty.
bool takeLock(const std::string& device, std::string& held, std::string& why);
// Removes a lock this process holds (empty: nothing).
void releaseLock(const std::string& held);

// What an open that failed with `error` tells a user: a missing device, one the user may not
// open (not in the "dialout" group), one another program holds.
std::string openFailure(int error);

}  // namespace zylma::telephony::modem_device
