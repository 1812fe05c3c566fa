#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "serial/device_map_posix.h"
#include "serial/line_attributes_posix.h"
#include "tests/serial/port_test_support.h"

namespace velanto {
namespace {

TEST(ApplyLineSettings, RefusesWhatTheLineCannotTakeAndChangesNothing) {
    for (const LineSettings line : {LineSettings{9601}, LineSettings{0}, LineSettings{9600, Parity::None, 4},
                                    LineSettings{9600, Parity::None, 9}}) {
        DeviceControlBlock block;
        block.line.baudRate = 4800;
        errno = 0;
        EXPECT_FALSE(ApplyLineSettings(line, block)) << line.baudRate << " " << line.dataBits;
        EXPECT_EQ(errno, EINVAL);
        EXPECT_EQ(block.line.baudRate, 4800u);
    }
}

TEST(RawLineAttributes, SetsParityDataAndStopBitsAndNothingElseSurvives) {
    termios attributes{};
    attributes.c_lflag = ECHO | ICANON | ISIG;
    attributes.c_iflag = ICRNL | IXON | IXOFF;
    attributes.c_oflag = OPOST | ONLCR;
    attributes.c_cflag = CRTSCTS | PARENB | CS7 | CSTOPB;
    DeviceControlBlock block;
    KeepLineAttributes(block, attributes);
    ASSERT_TRUE(ApplyLineSettings({2400, Parity::None, 8, StopBits::One}, block));
    termios raw = RawLineAttributes(block);
    EXPECT_EQ(raw.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(raw.c_iflag & (ICRNL | IXON | IXOFF), 0u);
    EXPECT_EQ(raw.c_oflag & OPOST, 0u);
    EXPECT_EQ(raw.c_cflag & (CRTSCTS | PARENB | CSIZE | CSTOPB | CLOCAL | CREAD), CS8 | CLOCAL | CREAD);
    EXPECT_EQ(cfgetispeed(&raw), B2400);

    for (const auto& [parity, flags] :
         {std::pair{Parity::Mark, PARENB | PARODD | CMSPAR}, std::pair{Parity::Space, PARENB | CMSPAR},
          std::pair{Parity::Odd, PARENB | PARODD}, std::pair{Parity::Even, PARENB}}) {
        ASSERT_TRUE(ApplyLineSettings({115200, parity, 5, StopBits::Two}, block));
        raw = RawLineAttributes(block);
        EXPECT_EQ(raw.c_cflag & (PARENB | PARODD | CMSPAR | CSIZE | CSTOPB), flags | CS5 | CSTOPB);
        EXPECT_EQ(cfgetospeed(&raw), B115200);
    }
}

// In the test's own /dev, /dev/ttyS<i> holds "uart" when a UART is behind it and "placeholder" when not.
bool FakeUart(const std::filesystem::path& port) {
    std::ifstream file(port);
    std::string kind;
    return file >> kind && kind == "uart";
}

struct Resolution {
    const char* what;
    std::string ports;                               // /dev/ttyS0, 1, ...: U with a UART, P a placeholder
    std::vector<std::string> adapters;               // names in /dev/serial/by-id, in the order made
    std::vector<std::pair<int, std::string>> links;  // COM number and target in /dev
    std::vector<std::string> opened;                 // what COM1, COM2, ... open, in /dev
};

void PrintTo(const Resolution& resolution, std::ostream* out) { *out << resolution.what; }

class DeviceNames : public testing::DeviceMapFixture, public ::testing::WithParamInterface<Resolution> {};

TEST_P(DeviceNames, ALinkWinsARealUartKeepsItsNumberAdaptersTakeTheFreeNumbers) {
    const Resolution& resolution = GetParam();
    const std::filesystem::path dev = ConfigHome() / "dev";
    std::filesystem::create_directories(dev / "serial" / "by-id");
    for (std::size_t i = 0; i < resolution.ports.size(); ++i) {
        std::ofstream(dev / ("ttyS" + std::to_string(i))) << (resolution.ports[i] == 'U' ? "uart" : "placeholder");
    }
    for (std::size_t i = 0; i < resolution.adapters.size(); ++i) {
        std::ofstream(dev / ("ttyUSB" + std::to_string(i)));
        std::filesystem::create_symlink("../../ttyUSB" + std::to_string(i),
                                        dev / "serial" / "by-id" / resolution.adapters[i]);
    }
    for (const auto& [number, target] : resolution.links) {
        MapPort(number, dev / target);
    }
    for (std::size_t number = 1; number <= resolution.opened.size(); ++number) {
        EXPECT_EQ(DevicePathFor("COM" + std::to_string(number), {dev, FakeUart}), dev / resolution.opened[number - 1])
            << resolution.what << ", COM" << number;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Machines, DeviceNames,
    ::testing::Values(Resolution{"placeholders only", "PPPP", {}, {}, {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4"}},
                      Resolution{"UARTs, links (one dangling) and adapters",
                                 "UPUP",
                                 {"usb-A", "usb-C", "usb-B"},
                                 {{3, "pts/7"}},
                                 {"ttyS0", "serial/by-id/usb-A", "pts/7", "serial/by-id/usb-B", "serial/by-id/usb-C",
                                  "ttyS5"}},
                      Resolution{"an adapter that a link names",
                                 "",
                                 {"usb-A", "usb-B"},
                                 {{2, "serial/by-id/usb-A"}},
                                 {"serial/by-id/usb-B", "serial/by-id/usb-A", "ttyS2"}}));

TEST(DeviceNameSyntax, OnlyComAndANumberFromOneNameADevice) {
    for (const char* name : {"COM0", "COM", "COM-1", "com1", "COM1x", "LPT1", "COM0001", "COM99999999999"}) {
        EXPECT_TRUE(DevicePathFor(name).empty()) << name;
    }
}

}  // namespace
}  // namespace velanto
