#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/scratch_folder.h"
#include "tests/tools/simulator_process.h"
#include "tools/dump_file.h"
#include "tools/dump_generator.h"
#include "tools/pseudo_terminal.h"

namespace velanto {
namespace {

using testing::PrivateDeviceMap;
using testing::SimulatorProcess;

// The client's end of the simulator's line.
class Client {
public:
    explicit Client(const std::string& path) : m_descriptor(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    bool IsOpen() const { return m_descriptor.IsOpen(); }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::write(m_descriptor.Get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until `count` bytes have come or the line hangs up; gives up after ten seconds.
    std::vector<std::uint8_t> Receive(std::size_t count) {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::uint8_t buffer[4096];
        while (bytes.size() < count && !hungUp && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{m_descriptor.Get(), POLLIN, 0};
            if (::poll(&ready, 1, 100) != 1) {
                continue;
            }
            const ssize_t got = ::read(m_descriptor.Get(), buffer, std::min(sizeof buffer, count - bytes.size()));
            if (got > 0) {
                bytes.insert(bytes.end(), buffer, buffer + got);
            } else if ((ready.revents & POLLHUP) != 0) {
                hungUp = true;
            }
        }
        return bytes;
    }
    bool hungUp = false;

private:
    UniqueDescriptor m_descriptor;
};

std::vector<std::uint8_t> Bytes(const DetectorDump& image, std::size_t from, std::size_t to) {
    return std::vector<std::uint8_t>(image.begin() + static_cast<std::ptrdiff_t>(from),
                                     image.begin() + static_cast<std::ptrdiff_t>(to));
}

class DetectorSimulator : public ::testing::Test {
protected:
    const PrivateDeviceMap m_deviceMap;
    const std::filesystem::path& m_folder = m_deviceMap.ConfigHome();
};

TEST_F(DetectorSimulator, AnswersEveryRequestWithTheImageAndIgnoresOtherBytes) {
    SimulatorProcess simulator({VELANTO_DETECTOR, "--fast", "--records", "5", "--id", "7", "--seed", "3"});
    Client client(simulator.NextLine());
    ASSERT_TRUE(client.IsOpen());
    client.Send("xyU");
    DumpRecipe recipe;
    recipe.records = 5;
    recipe.identifier = 7;
    recipe.seed = 3;
    const DetectorDump image = GenerateDump(recipe);
    EXPECT_EQ(client.Receive(kDumpSize), Bytes(image, 0, kDumpSize));
    client.Send("U");
    EXPECT_EQ(client.Receive(kDumpSize), Bytes(image, 0, kDumpSize));
    simulator.Signal(SIGTERM);
    EXPECT_EQ(simulator.WaitForExit(), 0);
}

TEST_F(DetectorSimulator, ReportsEachAnswerOnceReadEvenAfterAClientLeftOneUnread) {
    SimulatorProcess simulator({VELANTO_DETECTOR, "--fast", "--records", "5"});
    const std::string line = simulator.NextLine();
    {
        Client leaving(line);
        leaving.Send("U");
        EXPECT_EQ(leaving.Receive(100).size(), 100u);
    }  // gone with most of the answer unread, which stays on the line
    Client client(line);
    client.Send("U");
    const DetectorDump image = GenerateDump({5, 4660, 1});
    const std::vector<std::uint8_t> received = client.Receive(2 * kDumpSize - 100);
    ASSERT_EQ(received.size(), 2 * kDumpSize - 100);
    EXPECT_EQ(std::vector<std::uint8_t>(received.end() - kDumpSize, received.end()), Bytes(image, 0, kDumpSize));
    EXPECT_EQ(simulator.NextLine(), "answer 2 read");
}

TEST_F(DetectorSimulator, FaultOptionsShapeTheAnswerAndOnceEndsAfterIt) {
    SimulatorProcess simulator(
        {VELANTO_DETECTOR, "--fast", "--once", "--noise", "2", "--truncate", "10", "--extra", "3"});
    Client client(simulator.NextLine());
    client.Send("U");
    std::vector<std::uint8_t> expected = {0xA5, 0xA5};
    const DetectorDump image = GenerateDump({});
    for (std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2}) {
        expected.push_back(image[i]);
    }
    EXPECT_EQ(client.Receive(expected.size() + 1), expected);
    EXPECT_EQ(simulator.WaitForExit(), 0);
}

TEST_F(DetectorSimulator, SendsAnImageFileAndHangsUpWhereTold) {
    DetectorDump image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 13);
    }
    SaveDumpFile(m_folder / "image.bin", image);
    SimulatorProcess simulator(
        {VELANTO_DETECTOR, "--dump", (m_folder / "image.bin").string(), "--hangup-after", "300"});
    Client client(simulator.NextLine());
    client.Send("U");
    EXPECT_EQ(client.Receive(kDumpSize), Bytes(image, 0, 300)) << "paced, then the line closes";
    EXPECT_TRUE(client.hungUp);
    EXPECT_EQ(simulator.WaitForExit(), 0);
}

TEST_F(DetectorSimulator, DrivesAGivenDeviceInsteadOfItsOwnLine) {
    PseudoTerminal line;  // the simulator takes the client's side; this test plays the client on the other
    SimulatorProcess simulator({VELANTO_DETECTOR, "--device", line.Path(), "--fast", "--truncate", "20"});
    EXPECT_EQ(simulator.NextLine(), line.Path());
    ASSERT_EQ(::write(line.Descriptor(), "U", 1), 1);
    std::vector<std::uint8_t> received(20);
    std::size_t got = 0;
    for (int attempt = 0; attempt < 100 && got < received.size(); ++attempt) {
        pollfd ready{line.Descriptor(), POLLIN, 0};
        if (::poll(&ready, 1, 100) == 1) {
            got += static_cast<std::size_t>(
                std::max<ssize_t>(0, ::read(line.Descriptor(), received.data() + got, received.size() - got)));
        }
    }
    const DetectorDump image = GenerateDump({});
    EXPECT_EQ(received, Bytes(image, 0, 20));
    simulator.Signal(SIGTERM);
    EXPECT_EQ(simulator.WaitForExit(), 0);
}

TEST_F(DetectorSimulator, MapsTheComPortWhileItRuns) {
    const std::filesystem::path link = m_folder / "velanto/dosdevices/com2";
    SimulatorProcess simulator({VELANTO_DETECTOR, "--com", "2", "--ignore-request"});
    const std::string path = simulator.NextLine();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link), path);
    simulator.Signal(SIGINT);
    EXPECT_EQ(simulator.WaitForExit(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST_F(DetectorSimulator, RefusesABadCommandLineOrImage) {
    std::filesystem::create_directories(m_folder / "velanto/dosdevices/com4");
    std::ofstream(m_folder / "short.bin") << "too short";
    for (std::vector<std::string> arguments : {std::vector<std::string>{"--records", "2001"},
                                               {"--truncate", "16449"},
                                               {"--frobnicate"},
                                               {"stray"},
                                               {"--dump", (m_folder / "short.bin").string()},
                                               {"--com", "0"}}) {
        arguments.insert(arguments.begin(), VELANTO_DETECTOR);
        SimulatorProcess simulator(arguments);
        EXPECT_EQ(simulator.WaitForExit(), 2) << arguments[1];
    }
    SimulatorProcess occupied({VELANTO_DETECTOR, "--com", "4"});
    EXPECT_EQ(occupied.WaitForExit(), 1) << "a folder in the link's place is left alone";
    EXPECT_TRUE(std::filesystem::is_directory(m_folder / "velanto/dosdevices/com4"));
    SimulatorProcess help({VELANTO_DETECTOR, "--help"});
    EXPECT_EQ(help.NextLine(), "Usage: velanto-detector [options]");
    EXPECT_EQ(help.WaitForExit(), 0);
}

}  // namespace
}  // namespace velanto
