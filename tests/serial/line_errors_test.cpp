// The driver's error counters become one event per kind that rose.
#include "zylma/serial/line_errors.h"

#include <gtest/gtest.h>

using namespace zylma::serial;

TEST(LineErrors, EachRisenCountIsOneEvent) {
    using E = SerialEvent;
    const struct {
        LineCounts now;
        std::vector<E> events;
    } cases[] = {
        {{0, 0, 0, 0, 0}, {}},
        {{1, 0, 0, 0, 0}, {E::Break}},
        {{0, 3, 0, 0, 0}, {E::Framing}},  // three framing errors in one burst: one event
        {{0, 0, 1, 0, 0}, {E::Parity}},
        {{0, 0, 0, 1, 0}, {E::Overrun}},
        {{0, 0, 0, 0, 1}, {E::RxOverflow}},
        {{1, 1, 1, 1, 1}, {E::Break, E::Framing, E::Overrun, E::RxOverflow, E::Parity}},
    };
    for (const auto& c : cases) EXPECT_EQ(newLineEvents({}, c.now), c.events);
    EXPECT_TRUE(newLineEvents({2, 2, 2, 2, 2}, {2, 2, 2, 2, 2}).empty());
}

TEST(LineErrors, ADeviceWithoutCountersReportsNothing) {
    LineErrorCounters counters;
    counters.reset(-1);
    int reported = 0;
    counters.check(-1, [&](SerialEvent) { ++reported; });
    EXPECT_EQ(reported, 0);
}
