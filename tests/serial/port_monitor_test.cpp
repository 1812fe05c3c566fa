#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "dump/detector_protocol.h"
#include "serial/comm_port.h"
#include "tests/serial/port_test_support.h"

namespace velanto {
namespace {

using testing::DeviceMapFixture;
using testing::DirectOwner;
using testing::HandOffOwner;
using testing::Notification;
using testing::ReadAtFarEnd;
using testing::ReceivedBytes;
using testing::RecordingErrorBox;
using testing::ScriptedPlatform;
using testing::SendFromFarEnd;

constexpr std::uint32_t kDialogMask = EV_RXCHAR | EV_RXFLAG;
constexpr Notification kRxFlag{WM_PORT_RXFLAG, 0, 1};
constexpr Notification kTxEmpty{WM_PORT_TXEMPTY, 0, 1};

Notification RxChar(std::uint8_t byte, std::intptr_t port = 1) { return {WM_PORT_RXCHAR, byte, port}; }

class PortMonitor : public DeviceMapFixture {
protected:
    void SetUp() override {
        DeviceMapFixture::SetUp();
        MapPort(1, line.Path());
    }
    void OpenAndMonitor(CCommPort& port, PortOwner& owner, std::uint32_t mask = kDialogMask, int number = 1) {
        ASSERT_TRUE(port.OpenPort(&owner, number, kDetectorLine, mask, 512));
        StartAndWaitForItsPurge(port);
    }
    // A starting monitor discards what has arrived, so the far end waits for that before it sends.
    void StartAndWaitForItsPurge(CCommPort& port) {
        const std::size_t purges = Count("Purge");
        ASSERT_TRUE(port.StartMonitor());
        ASSERT_TRUE(platform.calls.WaitUntil([purges](const std::vector<std::string>& calls) {
            return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), "Purge")) > purges;
        }));
    }
    std::size_t Count(const std::string& call) {
        const std::vector<std::string> calls = platform.calls.Items();
        return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
    }
    bool WaitUntilClosed() {
        return platform.calls.WaitUntil([](const std::vector<std::string>& calls) {
            return std::count(calls.begin(), calls.end(), "CloseDevice") > 0;
        });
    }

    PseudoTerminal line;
    RecordingErrorBox errorBox;
    ScriptedPlatform platform;
};

// --- receiving ---

TEST_F(PortMonitor, EachByteIsOneNotificationInArrivalOrderAndEveryReadWakeAddsRxFlag) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    MapPort(4, line.Path());
    OpenAndMonitor(port, owner, kDialogMask, 4);
    SendFromFarEnd(line, {0x41, 0xFF, 0x00});
    ASSERT_TRUE(owner.handled.WaitUntil([](const std::vector<Notification>& items) {
        return ReceivedBytes(items).size() == 3 && items.back().message == WM_PORT_RXFLAG;
    }));
    // The bytes may come in one wake or in several; each wake ends with its RxFlag.
    const std::vector<Notification> handled = owner.handled.Items();
    EXPECT_EQ(ReceivedBytes(handled), (std::vector<std::uint8_t>{0x41, 0xFF, 0x00})) << "0xFF arrives as 255";
    for (std::size_t i = 0; i < handled.size(); ++i) {
        EXPECT_EQ(handled[i].lParam, 4) << "the port number";
        if (handled[i].message != WM_PORT_RXCHAR) {
            EXPECT_EQ(handled[i], (Notification{WM_PORT_RXFLAG, 0, 4}));
            EXPECT_TRUE(i > 0 && handled[i - 1].message == WM_PORT_RXCHAR) << "one RxFlag per wake that read";
        }
    }
}

TEST_F(PortMonitor, WithoutRxFlagInTheMaskOnlyBytesAreSent) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner, EV_RXCHAR);
    SendFromFarEnd(line, {1, 2});
    ASSERT_TRUE(owner.handled.WaitForCount(2));
    SendFromFarEnd(line, {3});
    ASSERT_TRUE(owner.handled.WaitForCount(3));
    EXPECT_EQ(owner.handled.Items(), (std::vector<Notification>{RxChar(1), RxChar(2), RxChar(3)}));
}

TEST_F(PortMonitor, AWakeThatFindsNoByteSendsNoRxCharAndLosesNothing) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    platform.AnswerEmptyQueue(1);
    SendFromFarEnd(line, {0x42});
    ASSERT_TRUE(owner.handled.WaitForCount(3));
    EXPECT_EQ(owner.handled.Items(), (std::vector<Notification>{kRxFlag, RxChar(0x42), kRxFlag}));
}

TEST_F(PortMonitor, AFailedQueueQueryIsNotActedOn) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    platform.FailQueueQuery(1);
    SendFromFarEnd(line, {0x43});
    ASSERT_TRUE(owner.handled.WaitForCount(3));
    EXPECT_EQ(owner.handled.Items(), (std::vector<Notification>{kRxFlag, RxChar(0x43), kRxFlag}));
    EXPECT_TRUE(errorBox.texts.Items().empty());
}

// --- writing ---

TEST_F(PortMonitor, OnlyTheLastQueuedBytesAreSentAfterAPurgeAndThenTxEmpty) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    ASSERT_TRUE(port.OpenPort(&owner, 1, kDetectorLine, kDialogMask, 512));
    const std::uint8_t first[] = {0x11, 0x22, 0x33};
    const std::uint8_t second[] = {0x55, 0x66};
    ASSERT_TRUE(port.QueueWrite(first, 3));
    ASSERT_TRUE(port.QueueWrite(second, 2));
    StartAndWaitForItsPurge(port);
    EXPECT_EQ(ReadAtFarEnd(line, 2), (std::vector<std::uint8_t>{0x55, 0x66}));
    ASSERT_TRUE(owner.handled.WaitForCount(1));
    EXPECT_EQ(owner.handled.Items(), std::vector<Notification>{kTxEmpty});
    const std::vector<std::string> calls = platform.calls.Items();
    const auto write = std::find(calls.begin(), calls.end(), "Write 2");
    ASSERT_NE(write, calls.end());
    EXPECT_EQ(*(write - 1), "Purge");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Write 2"), 1);

    ASSERT_TRUE(port.QueueWrite(first, 3));  // a later request is sent as well
    EXPECT_EQ(ReadAtFarEnd(line, 3), (std::vector<std::uint8_t>{0x11, 0x22, 0x33}));
    ASSERT_TRUE(owner.handled.WaitForCount(2));
}

TEST_F(PortMonitor, BytesBeyondTheWriteBufferAreRefusedWhole) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    ASSERT_TRUE(port.OpenPort(&owner, 1, kDetectorLine, kDialogMask, 4));
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
    EXPECT_FALSE(port.QueueWrite(bytes, 5));
    ASSERT_TRUE(port.QueueWrite(bytes + 1, 4));
    StartAndWaitForItsPurge(port);
    EXPECT_EQ(ReadAtFarEnd(line, 4), (std::vector<std::uint8_t>{2, 3, 4, 5}));
}

TEST_F(PortMonitor, AFailedWriteIsReportedAndTxEmptyStillFollows) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    platform.Fail("Write", EIO);
    const std::uint8_t request = 0x55;
    ASSERT_TRUE(port.QueueWrite(&request, 1));
    ASSERT_TRUE(owner.handled.WaitForCount(1));
    EXPECT_EQ(owner.handled.Items(), std::vector<Notification>{kTxEmpty});
    EXPECT_EQ(errorBox.texts.Items(), std::vector<std::string>{"WARNING:  WriteFile() Failed with the following "
                                                               "error: \nInput/output error\nPort: 1\n"});
}

// --- stopping, and never hanging ---

TEST_F(PortMonitor, ShutdownEndsTheMonitorClosesTheDeviceAndSendsNothing) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    port.SignalShutdown();
    ASSERT_TRUE(WaitUntilClosed());
    CCommPort next(errorBox);
    EXPECT_TRUE(next.OpenPort(&owner, 1, kDetectorLine, kDialogMask, 512)) << "the device was given up";
    EXPECT_TRUE(owner.handled.Items().empty());
    EXPECT_TRUE(errorBox.texts.Items().empty());
}

TEST_F(PortMonitor, ReopeningStopsTheOldMonitorAndTheNewOneWorks) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    SendFromFarEnd(line, {7});
    ASSERT_TRUE(owner.handled.WaitForCount(2));
    OpenAndMonitor(port, owner);
    SendFromFarEnd(line, {8});
    ASSERT_TRUE(owner.handled.WaitForCount(4));
    EXPECT_EQ(ReceivedBytes(owner.handled.Items()), (std::vector<std::uint8_t>{7, 8}));
    const std::uint8_t request = 0x55;
    ASSERT_TRUE(port.QueueWrite(&request, 1));
    EXPECT_EQ(ReadAtFarEnd(line, 1), std::vector<std::uint8_t>{0x55}) << "the shutdown event was reset";
}

TEST_F(PortMonitor, ReopeningWhileANotificationWaitsForTheOwnersThreadDropsIt) {
    HandOffOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    SendFromFarEnd(line, {1, 2, 3});
    ASSERT_TRUE(owner.WaitForPending());  // the monitor waits for this thread, which now reopens the port
    OpenAndMonitor(port, owner);
    EXPECT_EQ(owner.Abandoned(), 1);
    EXPECT_TRUE(owner.Handled().empty());
    SendFromFarEnd(line, {4});
    ASSERT_TRUE(owner.PumpMessages(2));
    EXPECT_EQ(owner.Handled(), (std::vector<Notification>{RxChar(4), kRxFlag}));
}

// The owner's view of a quiet line: no byte in the device, none read and waiting for the owner.
TEST_F(PortMonitor, InputIsUnhandledUntilTheOwnerHasTakenItsLastByte) {
    HandOffOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    EXPECT_FALSE(port.HasUnhandledInput());
    SendFromFarEnd(line, {1});
    ASSERT_TRUE(owner.WaitForPending());
    EXPECT_TRUE(port.HasUnhandledInput()) << "the byte is in the monitor's hand, the device is empty";
    ASSERT_TRUE(owner.PumpMessages(2));  // the byte, and the RxFlag that ends the wake
    EXPECT_FALSE(port.HasUnhandledInput());
}

TEST_F(PortMonitor, DestroyingWhileANotificationWaitsForTheOwnersThreadCompletes) {
    HandOffOwner owner;
    {
        CCommPort port(errorBox, platform);
        OpenAndMonitor(port, owner);
        SendFromFarEnd(line, {1, 2, 3});
        ASSERT_TRUE(owner.WaitForPending());
    }
    EXPECT_EQ(owner.Abandoned(), 1);
    EXPECT_TRUE(owner.Handled().empty()) << "nothing reaches the owner once the destructor has begun";
}

class BlockingErrorBox : public SystemErrorBox {
public:
    void ShowSystemError(const std::string&, std::stop_token stop) override {
        std::unique_lock lock(m_mutex);
        ++m_shown;
        m_changed.notify_all();
        m_changed.wait(lock, stop, [] { return false; });  // until the monitor is stopped
    }
    bool WaitUntilShown() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, testing::kPatience, [&] { return m_shown > 0; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    int m_shown = 0;
};

TEST_F(PortMonitor, DestroyingWhileTheMonitorShowsAnErrorBoxCompletes) {
    BlockingErrorBox box;
    DirectOwner owner;
    {
        CCommPort port(box, platform);
        OpenAndMonitor(port, owner);
        line.HangUp();
        ASSERT_TRUE(box.WaitUntilShown());
    }
    EXPECT_TRUE(owner.handled.Items().empty());
}

TEST_F(PortMonitor, AMonitorThatHasNotBegunToRunIsStillStopped) {
    DirectOwner owner;
    for (int round = 0; round < 100; ++round) {
        CCommPort port(errorBox, platform);
        OpenAndMonitor(port, owner);
        OpenAndMonitor(port, owner);
        ASSERT_TRUE(port.StartMonitor());
    }
    CCommPort last(errorBox);
    EXPECT_TRUE(last.OpenPort(&owner, 1, kDetectorLine, kDialogMask, 512)) << "no monitor kept the device";
}

TEST_F(PortMonitor, ALostDeviceIsReportedOnceAndTheMonitorEnds) {
    DirectOwner owner;
    CCommPort port(errorBox, platform);
    OpenAndMonitor(port, owner);
    line.HangUp();
    ASSERT_TRUE(WaitUntilClosed());
    EXPECT_EQ(errorBox.texts.Items(),
              std::vector<std::string>{"WARNING:  WaitCommEvent() Failed with the following error: \n"
                                       "Input/output error\nPort: 1\n"});
    EXPECT_TRUE(owner.handled.Items().empty());
}

// Something that is no serial line at all, mapped as a COM port: the monitor says so once and ends, instead of
// waking for ever.
TEST_F(PortMonitor, ADeviceThatKeepsWakingTheMonitorForNothingIsReportedOnceAndTheMonitorEnds) {
    const std::filesystem::path file = ConfigHome() / "not-a-line";
    std::ofstream(file) << "abc";
    const struct {
        std::filesystem::path device;
        const char* reason;
        std::vector<std::uint8_t> bytes;
    } devices[] = {{"/dev/null", "Inappropriate ioctl for device", {}},
                   {"/dev/zero", "Inappropriate ioctl for device", {}},
                   {file, "Input/output error", {'a', 'b', 'c'}}};
    for (const auto& device : devices) {
        std::filesystem::remove(ConfigHome() / "velanto" / "dosdevices" / "com2");
        MapPort(2, device.device);
        DirectOwner owner;
        RecordingErrorBox boxes;
        ScriptedPlatform calls;
        {
            CCommPort port(boxes, calls);
            ASSERT_TRUE(port.OpenPort(&owner, 2, kDetectorLine, kDialogMask, 512));
            ASSERT_TRUE(port.StartMonitor());
            ASSERT_TRUE(calls.calls.WaitUntil([](const std::vector<std::string>& made) {
                return std::count(made.begin(), made.end(), "CloseDevice") > 0;
            })) << device.device;
        }
        const std::vector<std::string> texts = boxes.texts.Items();
        EXPECT_EQ(texts.size(), 2u) << device.device;  // the line settings refused, then the monitor's report
        EXPECT_EQ(texts.back(), std::string("WARNING:  ReadFile() Failed with the following error: \n") +
                                    device.reason + "\nPort: 2\n");
        EXPECT_EQ(ReceivedBytes(owner.handled.Items()), device.bytes) << device.device;
    }
}

}  // namespace
}  // namespace velanto
