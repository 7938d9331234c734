#include "zylma/serial/line_errors.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace zylma::serial {

bool LineErrorCounters::read(int fd, LineCounts& c) {
    serial_icounter_struct ic{};
    if (fd < 0 || ::ioctl(fd, TIOCGICOUNT, &ic) != 0) return false;
    c = LineCounts{ic.brk, ic.frame, ic.parity, ic.overrun, ic.buf_overrun};
    return true;
}

void LineErrorCounters::reset(int fd) { known_ = read(fd, last_); }

void LineErrorCounters::check(int fd, const std::function<void(SerialEvent)>& report) {
    if (!known_) return;
    LineCounts now;
    if (!read(fd, now)) return;
    const LineCounts before = last_;
    last_ = now;
    for (SerialEvent e : newLineEvents(before, now)) report(e);
}

std::vector<SerialEvent> newLineEvents(const LineCounts& before, const LineCounts& now) {
    std::vector<SerialEvent> out;
    if (now.brk > before.brk) out.push_back(SerialEvent::Break);
    if (now.frame > before.frame) out.push_back(SerialEvent::Framing);
    if (now.overrun > before.overrun) out.push_back(SerialEvent::Overrun);
    if (now.bufOverrun > before.bufOverrun) out.push_back(SerialEvent::RxOverflow);
    if (now.parity > before.parity) out.push_back(SerialEvent::Parity);
    return out;
}

}  // namespace zylma::serial
