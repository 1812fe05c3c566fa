#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dump/detector_protocol.h"
#include "transfer/detector_transfer.h"

namespace velanto {
namespace {

using namespace std::chrono_literals;
using Clock = DetectorTransfer::Clock;

// A port whose line the test plays: what the monitor would hand over, the test hands over itself.
class FakeLink final : public SerialLink {
public:
    explicit FakeLink(SystemErrorBox& errorBox) : errorBox(errorBox) {}
    PortOpenFailure Open(int, PortOwner& portOwner) override {
        owner = &portOwner;
        return openFailure;
    }
    void Send(std::uint8_t byte) override { sent.push_back(byte); }
    bool HasUnhandledInput() override { return busy; }
    void SignalShutdown() override {}

    SystemErrorBox& errorBox;
    PortOwner* owner = nullptr;
    PortOpenFailure openFailure = PortOpenFailure::None;
    bool busy = false;  // the line never goes quiet
    std::vector<std::uint8_t> sent;
};

// The owner's thread is the test's own: the monitor's calls run at once, unless stopped.
class InlineOwnerThread final : public OwnerThread {
public:
    void RunAndWait(std::function<void()> work, std::stop_token stop) override {
        if (!stop.stop_requested()) {
            work();
        }
    }
};

// Notes every call but the signs of life, as text.
class Listener final : public TransferListener {
public:
    void OnWaiting() override {}
    void OnProgress(std::size_t bytes) override { progress = bytes; }
    void OnAnswer(const DetectorDump& shown, const AnswerFindings& findings) override {
        image = shown;
        heard.push_back(findings.IsSound() ? "answer" : "damaged answer of " + std::to_string(findings.length));
    }
    void OnPortNotOpened(int port, PortOpenFailure failure) override {
        heard.push_back("COM" + std::to_string(port) +
                        (failure == PortOpenFailure::PermissionRefused ? " refused" : " unavailable"));
    }
    void OnLineNeverQuiet(int port) override { heard.push_back("COM" + std::to_string(port) + " never quiet"); }
    void OnNoAnswer(int port) override { heard.push_back("COM" + std::to_string(port) + " no answer"); }
    void OnAnswerStopped(int port, std::size_t length) override {
        heard.push_back("COM" + std::to_string(port) + " stopped after " + std::to_string(length));
    }
    void OnPortFailure(const std::string& text) override { heard.push_back(text); }

    std::vector<std::string> heard;
    std::size_t progress = 0;
    DetectorDump image{};
};

class Transfer : public ::testing::Test {
public:
    // Ticks as the owner does, on a clock the test moves on, until `time` has passed or the transfer ended.
    void Pass(Clock::duration time) {
        for (const Clock::time_point end = now + time; now < end && transfer.IsUnderWay();) {
            now += DetectorTransfer::kTickInterval;
            transfer.Tick();
        }
    }
    // Bytes from the line, one character time apart, as the monitor hands them over: byte i is i % 251.
    void Answer(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            link->owner->OnPortByte(2, static_cast<std::uint8_t>(i % 251), {});
            now += 1042us;
        }
    }

    Listener listener;
    InlineOwnerThread ownerThread;
    Clock::time_point now{};
    FakeLink* link = nullptr;
    DetectorTransfer transfer{listener, ownerThread,
                              [this](SystemErrorBox& errorBox) {
                                  auto made = std::make_unique<FakeLink>(errorBox);
                                  link = made.get();
                                  return made;
                              },
                              [this] { return now; }};
};

TEST_F(Transfer, TheRequestGoesOutOnceOnAQuietLineAndTheWholeAnswerIsHandedOn) {
    transfer.Start(2);
    Answer(3);  // the tail of an earlier answer
    Pass(50ms);
    EXPECT_TRUE(link->sent.empty()) << "no request before the line is quiet";
    Pass(1s);
    ASSERT_EQ(link->sent, std::vector<std::uint8_t>{kRequestByte});
    Answer(kDumpSize);
    EXPECT_EQ(listener.progress, kDumpSize);
    Pass(1s);
    EXPECT_EQ(link->sent.size(), 1u);
    EXPECT_EQ(listener.heard, std::vector<std::string>{"answer"});
    for (std::size_t i = 0; i < kDumpSize; ++i) {
        ASSERT_EQ(listener.image[i], i % 251) << i;
    }
    EXPECT_FALSE(transfer.IsUnderWay());
}

TEST_F(Transfer, StartAgainMidAnswerLetsTheRestOfItPassHoweverLongAndAsksAgain) {
    transfer.Start(2);
    Pass(1s);
    Answer(1000);
    transfer.Start(2);
    Answer(kDumpSize - 1000);  // some twelve seconds more of the first answer
    Pass(1s);
    EXPECT_EQ(link->sent, (std::vector<std::uint8_t>{kRequestByte, kRequestByte}));
    EXPECT_TRUE(listener.heard.empty());
    EXPECT_TRUE(transfer.IsUnderWay());
}

struct Fault {
    const char* what;
    std::function<void(Transfer&, FakeLink&)> play;
    std::string heard;
};

class Faults : public Transfer, public ::testing::WithParamInterface<Fault> {};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.what; }

TEST_P(Faults, EachEndsTheTransferAndIsToldOnceWithItsPort) {
    transfer.Start(2);
    GetParam().play(*this, *link);
    Pass(10s);
    EXPECT_EQ(listener.heard, std::vector<std::string>{GetParam().heard});
    EXPECT_FALSE(transfer.IsUnderWay());
}

INSTANTIATE_TEST_SUITE_P(Detector, Faults,
                         ::testing::Values(Fault{"no answer", [](Transfer&, FakeLink&) {}, "COM2 no answer"},
                                           Fault{"a line that never goes quiet",
                                                 [](Transfer&, FakeLink& link) { link.busy = true; },
                                                 "COM2 never quiet"},
                                           Fault{"an answer that stops",
                                                 [](Transfer& test, FakeLink&) {
                                                     test.Pass(200ms);
                                                     test.Answer(100);
                                                 },
                                                 "COM2 stopped after 100"},
                                           Fault{"an answer too long",
                                                 [](Transfer& test, FakeLink&) {
                                                     test.Pass(200ms);
                                                     test.Answer(kDumpSize + 1);
                                                 },
                                                 "damaged answer of 16449"},
                                           Fault{"a port call that fails",
                                                 [](Transfer&, FakeLink& link) {
                                                     link.errorBox.ShowSystemError("WARNING:  ReadFile() Failed", {});
                                                 },
                                                 "WARNING:  ReadFile() Failed"}));

TEST_F(Transfer, APortThatDoesNotOpenIsToldAndNothingIsSent) {
    for (const PortOpenFailure failure : {PortOpenFailure::Unavailable, PortOpenFailure::PermissionRefused}) {
        link->openFailure = failure;
        transfer.Start(4);
        EXPECT_FALSE(transfer.IsUnderWay());
    }
    Pass(10s);
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"COM4 unavailable", "COM4 refused"}));
    EXPECT_TRUE(link->sent.empty());
}

}  // namespace
}  // namespace velanto
