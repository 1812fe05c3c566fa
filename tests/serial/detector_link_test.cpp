#include <gtest/gtest.h>

#include <filesystem>

#include "dump/detector_protocol.h"
#include "serial/comm_port.h"
#include "serial/device_map_posix.h"
#include "tests/serial/port_test_support.h"
#include "tests/tools/simulator_process.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

using testing::HandOffOwner;
using testing::ReceivedBytes;
using testing::RecordingErrorBox;
using testing::SimulatorProcess;

class DetectorLink : public testing::DeviceMapFixture {};

TEST_F(DetectorLink, AFullAnswerArrivesCompleteAndInOrderThroughThePort) {
    SimulatorProcess simulator({VELANTO_DETECTOR, "--fast", "--once", "--com", "3", "--records", "1500"});
    ASSERT_FALSE(simulator.NextLine().empty());
    HandOffOwner owner;
    RecordingErrorBox errorBox;
    {
        CCommPort port(errorBox);
        ASSERT_TRUE(port.OpenPort(&owner, 3, kDetectorLine, EV_RXCHAR | EV_RXFLAG, 512));
        ASSERT_TRUE(port.StartMonitor());
        const std::uint8_t request = 0x55;
        ASSERT_TRUE(port.QueueWrite(&request, 1));
        ASSERT_TRUE(owner.PumpBytes(kDumpSize));
        port.SignalShutdown();
    }
    DumpRecipe recipe;
    recipe.records = 1500;
    const DetectorDump expected = GenerateDump(recipe);
    EXPECT_EQ(ReceivedBytes(owner.Handled()), std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(simulator.WaitForExit(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(DeviceMapFolder() / "com3")))
        << "the simulator removes its link";
    EXPECT_TRUE(errorBox.texts.Items().empty());
}

}  // namespace
}  // namespace velanto
