// The line errors a Linux serial driver counts (break, framing, parity, hardware overrun,
// receive buffer overflow), read after each burst and turned into port events. A device that
// keeps no counters (a pseudo-terminal, many USB adapters) simply reports none.
#pragma once

#include "zylma/serial/serial_port.h"

#include <functional>
#include <vector>

namespace zylma::serial {

struct LineCounts {
    int brk = 0, frame = 0, parity = 0, overrun = 0, bufOverrun = 0;
};

// One event per kind whose count rose from `before` to `now`, in a fixed order.
std::vector<SerialEvent> newLineEvents(const LineCounts& before, const LineCounts& now);

class LineErrorCounters {
public:
    // Takes the device's current counts as the starting point.
    void reset(int fd);
    // Reports one event per kind whose count rose since the last look.
    void check(int fd, const std::function<void(SerialEvent)>& report);

private:
    static bool read(int fd, LineCounts& c);
    bool known_ = false;
    LineCounts last_;
};

}  // namespace zylma::serial
