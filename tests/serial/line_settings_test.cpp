#include <gtest/gtest.h>

#include <cerrno>

#include "serial/serial_platform.h"
#include "tests/serial/port_test_support.h"

namespace velanto {
namespace {

TEST(BuildCommDcb, AppliesEachKeyAndKeepsTheRestOfTheBlock) {
    DeviceControlBlock block;
    block.rtsControl = RTS_CONTROL_ENABLE;
    block.eventChar = 'q';
    ASSERT_TRUE(BuildCommDcb("baud=115200 parity=o data=7 stop=2", block));
    EXPECT_EQ(block.baudRate, 115200u);
    EXPECT_EQ(block.parity, 'O');
    EXPECT_EQ(block.dataBits, 7u);
    EXPECT_EQ(block.stopBits, 2u);
    EXPECT_EQ(block.rtsControl, RTS_CONTROL_ENABLE);
    EXPECT_EQ(block.eventChar, 'q');

    ASSERT_TRUE(BuildCommDcb("stop=1  baud=9600", block));
    EXPECT_EQ(block.baudRate, 9600u);
    EXPECT_EQ(block.stopBits, 1u);
    EXPECT_EQ(block.parity, 'O');
}

TEST(BuildCommDcb, RefusesWhatTheLineCannotTakeAndChangesNothing) {
    for (const char* settings :
         {"", "   ", "baud=9601", "baud=-9600", "baud=96OO", "parity=X", "parity=NN", "data=4", "data=9", "stop=0",
          "stop=1.5", "speed=9600", "baud", "baud=9600 parity=N data=8 stop=3", "baud=9600 parity=N data=8 stop=1 x"}) {
        DeviceControlBlock block;
        block.baudRate = 4800;
        errno = 0;
        EXPECT_FALSE(BuildCommDcb(settings, block)) << settings;
        EXPECT_EQ(errno, EINVAL) << settings;
        EXPECT_EQ(block.baudRate, 4800u) << settings;
    }
}

TEST(RawLineAttributes, SetsParityDataAndStopBitsAndNothingElseSurvives) {
    DeviceControlBlock block;
    block.attributes.c_lflag = ECHO | ICANON | ISIG;
    block.attributes.c_iflag = ICRNL | IXON | IXOFF;
    block.attributes.c_oflag = OPOST | ONLCR;
    block.attributes.c_cflag = CRTSCTS | PARENB | CS7 | CSTOPB;
    ASSERT_TRUE(BuildCommDcb("baud=2400 parity=N data=8 stop=1", block));
    termios raw = RawLineAttributes(block);
    EXPECT_EQ(raw.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(raw.c_iflag & (ICRNL | IXON | IXOFF), 0u);
    EXPECT_EQ(raw.c_oflag & OPOST, 0u);
    EXPECT_EQ(raw.c_cflag & (CRTSCTS | PARENB | CSIZE | CSTOPB | CLOCAL | CREAD), CS8 | CLOCAL | CREAD);
    EXPECT_EQ(cfgetispeed(&raw), B2400);

    ASSERT_TRUE(BuildCommDcb("parity=M data=5", block));
    raw = RawLineAttributes(block);
    EXPECT_EQ(raw.c_cflag & (PARENB | PARODD | CMSPAR | CSIZE), PARENB | PARODD | CMSPAR | CS5);
}

class DeviceNames : public testing::DeviceMapFixture {};

TEST_F(DeviceNames, MappedPortsFollowTheirLinkOthersAreTheSerialPorts) {
    MapPort(2, "/dev/null");
    EXPECT_EQ(DevicePathFor("COM2"), ConfigHome() / "velanto/dosdevices/com2");
    EXPECT_EQ(DevicePathFor("COM1"), "/dev/ttyS0");
    EXPECT_EQ(DevicePathFor("COM12"), "/dev/ttyS11");
    MapPort(3, ConfigHome() / "gone");
    EXPECT_EQ(DevicePathFor("COM3"), ConfigHome() / "velanto/dosdevices/com3") << "a dangling link still maps";
    for (const char* name : {"COM0", "COM", "COM-1", "com1", "COM1x", "LPT1", "COM0001", "COM99999999999"}) {
        EXPECT_TRUE(DevicePathFor(name).empty()) << name;
    }
}

}  // namespace
}  // namespace velanto
