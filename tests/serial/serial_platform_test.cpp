#include <gtest/gtest.h>

#include <optional>

#include "serial/manual_reset_event.h"
#include "serial/port_owner.h"
#include "tests/serial/port_test_support.h"

namespace velanto {
namespace {

class PlatformWait : public testing::DeviceMapFixture {
protected:
    PseudoTerminal line;
    SerialPlatform& platform = DefaultSerialPlatform();
};

// The monitor's order of precedence rests on this: the lowest ready target wins, received bytes count
// only where port events watch for them, and only a port-event target reports a lost line.
TEST_F(PlatformWait, EndsOnTheLowestReadyTargetAndFlagsALostLine) {
    MapPort(1, line.Path());
    const DeviceHandle device = platform.OpenDevice("COM1");
    ASSERT_NE(device, kNoDevice);
    ManualResetEvent first;
    ManualResetEvent last;
    const auto waitFor = [&](std::uint32_t eventMask) {
        const WaitTarget targets[] = {{WaitTarget::Kind::EventSet, first.Handle()},
                                      {WaitTarget::Kind::PortEvent, device, eventMask},
                                      {WaitTarget::Kind::EventSet, last.Handle()},
                                      {WaitTarget::Kind::RoomToWrite, device}};
        const std::optional<WaitOutcome> outcome = platform.WaitForAny(targets);
        return outcome ? std::optional(std::pair(outcome->index, outcome->deviceLost)) : std::nullopt;
    };
    using Woken = std::optional<std::pair<std::size_t, bool>>;

    last.Set();
    EXPECT_EQ(waitFor(EV_RXCHAR), Woken({2, false})) << "a set event before room to write";
    testing::SendFromFarEnd(line, {0x55});
    EXPECT_EQ(waitFor(EV_RXCHAR), Woken({1, false})) << "a received byte before a later event";
    EXPECT_EQ(waitFor(EV_RXFLAG), Woken({2, false})) << "bytes nobody watches for wake nothing";
    first.Set();
    EXPECT_EQ(waitFor(EV_RXCHAR), Woken({0, false})) << "the first target before all others";
    first.Reset();
    last.Reset();
    EXPECT_EQ(waitFor(EV_RXFLAG), Woken({3, false})) << "reset events are not ready";
    line.HangUp();
    EXPECT_EQ(waitFor(EV_RXFLAG), Woken({1, true})) << "a lost line ends the wait on its port events";
    platform.CloseDevice(device);
}

}  // namespace
}  // namespace velanto
