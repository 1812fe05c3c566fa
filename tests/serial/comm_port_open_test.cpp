#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <string>

#include "dump/detector_protocol.h"
#include "serial/comm_port.h"
#include "serial/line_attributes_posix.h"
#include "tests/serial/port_test_support.h"

namespace velanto {
namespace {

using testing::DeviceMapFixture;
using testing::RecordingErrorBox;
using testing::ScriptedPlatform;

constexpr std::uint32_t kDialogMask = EV_RXCHAR | EV_RXFLAG;

class PortOpening : public DeviceMapFixture {
protected:
    bool OpenDialogPort(CCommPort& port, int number = 1, const LineSettings& line = kDetectorLine) {
        return port.OpenPort(nullptr, number, line, kDialogMask, 512);
    }
    std::vector<std::string> CallsAfterOpen() {
        std::vector<std::string> calls = platform.calls.Items();
        std::erase(calls, "CloseDevice");
        return calls;
    }

    PseudoTerminal line;
    RecordingErrorBox errorBox;
    ScriptedPlatform platform;
};

TEST_F(PortOpening, AbsentOrBusyPortFailsQuietlyAndLeavesThePortUsable) {
    MapPort(2, ConfigHome() / "no-such-device");
    MapPort(1, line.Path());
    CCommPort port(errorBox, platform);
    EXPECT_FALSE(OpenDialogPort(port, 2));
    EXPECT_FALSE(OpenDialogPort(port, 0));
    ASSERT_TRUE(OpenDialogPort(port, 1));  // would block for ever had a failed open kept the lock

    CCommPort other(errorBox);
    EXPECT_FALSE(OpenDialogPort(other, 1)) << "the port is held by the first object";
    EXPECT_TRUE(errorBox.texts.Items().empty());

    EXPECT_FALSE(OpenDialogPort(port, 2));  // closes COM1 on the way
    EXPECT_TRUE(OpenDialogPort(other, 1)) << "a closed port is free for the next opener";
}

TEST_F(PortOpening, ConfiguresARawLineWithTheGivenSettings) {
    MapPort(1, line.Path());
    CCommPort port(errorBox, platform);
    ASSERT_TRUE(port.OpenPort(nullptr, 1, {19200, Parity::Even, 7, StopBits::Two}, kDialogMask, 512));
    const DeviceControlBlock block = platform.WrittenBlock();
    EXPECT_EQ(block.rtsControl, RTS_CONTROL_ENABLE);
    EXPECT_EQ(block.eventCharacter, 'q');
    EXPECT_EQ(RawLineAttributes(block).c_cflag & (CSIZE | PARENB | PARODD | CSTOPB), CS7 | PARENB | CSTOPB)
        << "a pseudo-terminal always keeps 8 bits without parity, so these are checked in the block";

    termios attributes{};
    ASSERT_EQ(::tcgetattr(line.Descriptor(), &attributes), 0);  // a pseudo-terminal's far end reads the line's
    EXPECT_EQ(::cfgetospeed(&attributes), B19200);
    EXPECT_EQ(attributes.c_cflag & (CSTOPB | CLOCAL | CREAD | CRTSCTS), CSTOPB | CLOCAL | CREAD);
    EXPECT_EQ(attributes.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(attributes.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP), 0u);
    EXPECT_EQ(attributes.c_oflag & OPOST, 0u);
    EXPECT_TRUE(errorBox.texts.Items().empty());
}

struct ChainFault {
    const char* failingCall;
    const char* boxName;
    std::size_t callsMade;  // of the chain, the failing one included
};

class ConfigurationFault : public PortOpening, public ::testing::WithParamInterface<ChainFault> {};

TEST_P(ConfigurationFault, IsReportedOnceAndSkipsTheRestButTheOpenSucceeds) {
    const std::vector<std::string> chain = {"SetTimeouts", "SetEventMask", "GetLineState", "SetLineState"};
    MapPort(3, line.Path());
    platform.Fail(GetParam().failingCall, EIO);
    CCommPort port(errorBox, platform);
    ASSERT_TRUE(OpenDialogPort(port, 3));

    std::vector<std::string> expected(chain.begin(), chain.begin() + GetParam().callsMade);
    expected.push_back("Purge");
    EXPECT_EQ(CallsAfterOpen(), expected);
    EXPECT_EQ(errorBox.texts.Items(),
              std::vector<std::string>{std::string("WARNING:  ") + GetParam().boxName +
                                       " Failed with the following error: \nInput/output error\nPort: 3\n"});
}

INSTANTIATE_TEST_SUITE_P(EachStep, ConfigurationFault,
                         ::testing::Values(ChainFault{"SetTimeouts", "SetCommTimeouts()", 1},
                                           ChainFault{"SetEventMask", "SetCommMask()", 2},
                                           ChainFault{"GetLineState", "GetCommState()", 3},
                                           ChainFault{"SetLineState", "SetCommState()", 4}));

TEST_F(PortOpening, SettingsTheLineCannotTakeAreReportedAsBuildCommDcb) {
    MapPort(1, line.Path());
    CCommPort port(errorBox, platform);
    ASSERT_TRUE(OpenDialogPort(port, 1, {9600, Parity::None, 9, StopBits::One}));
    EXPECT_EQ(CallsAfterOpen(), (std::vector<std::string>{"SetTimeouts", "SetEventMask", "GetLineState", "Purge"}));
    ASSERT_EQ(errorBox.texts.Items().size(), 1u);
    EXPECT_EQ(errorBox.texts.Items()[0],
              "WARNING:  BuildCommDCB() Failed with the following error: \nInvalid argument\nPort: 1\n");
}

TEST_F(PortOpening, ErrorTextIsCutToItsBuffer) {
    CCommPort port(errorBox);
    errno = ENOENT;
    port.ReportPortError(std::string(300, 'x').c_str());
    ASSERT_EQ(errorBox.texts.Items().size(), 1u);
    EXPECT_EQ(errorBox.texts.Items()[0], "WARNING:  " + std::string(189, 'x'));
}

TEST_F(PortOpening, NeverOpenedObjectTouchesNothing) {
    {
        CCommPort port(errorBox, platform);
        const std::uint8_t request = 0x55;
        EXPECT_FALSE(port.QueueWrite(&request, 1));
        EXPECT_FALSE(port.StartMonitor());
        port.SignalShutdown();
    }
    EXPECT_TRUE(platform.calls.Items().empty());
    EXPECT_TRUE(errorBox.texts.Items().empty());
}

}  // namespace
}  // namespace velanto
