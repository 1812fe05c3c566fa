#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "transfer/dump_reception.h"

namespace velanto {
namespace {

using namespace std::chrono_literals;
using Clock = DumpReception::Clock;
using Outcome = DumpReception::Outcome;

const ReceptionTiming kTiming = TimingForLine(9600);

// A line as the reception sees it: bytes that arrive one character time apart (or all at once), looked at
// every few milliseconds on a clock that the test moves on.
class Line {
public:
    explicit Line(DumpReception& reception) : m_reception(reception) { Restart(); }

    // Start pressed (again).
    void Restart() { m_reception.Begin(m_now); }

    // Bytes whose value is their offset's low byte, `spacing` apart; the first `count` of `image` when given.
    void Send(std::size_t count, Clock::duration spacing = 1042us, const DetectorDump* image = nullptr) {
        for (std::size_t i = 0; i < count; ++i) {
            m_reception.StoreByte(image ? (*image)[i % kDumpSize] : static_cast<std::uint8_t>(i), m_now);
            Pass(spacing);
        }
    }
    // Moves the clock on, looking at it every 5 ms, and notes each outcome. The line holds input not yet
    // handed over while `pending` is set.
    void Pass(Clock::duration time) {
        for (const Clock::time_point end = m_now + time; m_now < end;) {
            const Clock::duration step = std::min<Clock::duration>(5ms, end - m_now);
            m_now += step;
            if (m_nextTick <= m_now) {
                const Outcome outcome = m_reception.Tick(m_now, pending);
                if (outcome != Outcome::None) {
                    outcomes.push_back({outcome, m_now - m_start});
                }
                m_nextTick = m_now + 5ms;
            }
        }
    }
    // Passes time until the request is due, as the dialog would send it.
    void AwaitRequest() {
        const std::size_t before = outcomes.size();
        for (Clock::duration waited{}; outcomes.size() == before && waited < 30s; waited += 5ms) {
            Pass(5ms);
        }
        ASSERT_GT(outcomes.size(), before);
        ASSERT_EQ(outcomes.back().outcome, Outcome::SendRequest);
    }

    struct Noted {
        Outcome outcome;
        Clock::duration at;  // since the line was begun
    };
    std::vector<Noted> outcomes;
    bool pending = false;

private:
    DumpReception& m_reception;
    Clock::time_point m_start{};
    Clock::time_point m_now{};
    Clock::time_point m_nextTick{};
};

TEST(ReceptionTiming, FollowsTheLineRate) {
    EXPECT_EQ(kTiming.quietGap, 105ms);  // a hundred characters of ten bits at 9600 baud, rounded up
    EXPECT_EQ(TimingForLine(19200).quietGap, 53ms);
    // The operator hears within 10 s of Start when nothing answers, and within 5 s of the last byte
    // when an answer stops.
    EXPECT_LE(kTiming.quietGap + kTiming.answerTimeout, 10s);
    EXPECT_LE(kTiming.stallTimeout, 5s);
    // And within 10 s of Start when the line is never quiet, half of it left to a loaded machine.
    EXPECT_LE(kTiming.busyLineLimit, 5s);
}

// Each case: what the line carries from Start on, and how the transfer must end.
struct Case {
    const char* name;
    std::size_t tailBeforeRequest;      // bytes of an earlier answer still arriving at Start
    std::optional<std::size_t> answer;  // bytes answered to the request; none: no answer
    std::size_t extra;                  // further bytes right after the answer
    std::uint16_t claimedRecords;       // the header's count
    Outcome expected;
    bool sound;
};

class ReceptionCases : public ::testing::TestWithParam<Case> {};

TEST_P(ReceptionCases, EndAsTheLineDictates) {
    const Case& c = GetParam();
    DumpReception reception(kTiming);
    Line line(reception);
    line.Send(c.tailBeforeRequest);
    line.AwaitRequest();
    if (c.tailBeforeRequest > 0) {
        // Not a byte of the tail is taken for the answer, and the request waits until the tail is over.
        EXPECT_GE(line.outcomes.back().at, static_cast<long>(c.tailBeforeRequest) * 1042us + kTiming.quietGap);
    }
    EXPECT_LT(line.outcomes.back().at, static_cast<long>(c.tailBeforeRequest) * 1042us + kTiming.quietGap + 10ms);
    DetectorDump image{};
    image[1] = static_cast<std::uint8_t>(c.claimedRecords >> 8);
    image[2] = static_cast<std::uint8_t>(c.claimedRecords);
    image[kDumpSize - 1] = 0x77;
    if (c.answer) {
        line.Send(*c.answer + c.extra, 1042us, &image);
    }
    const std::size_t sent = c.answer ? *c.answer + c.extra : 0;
    const Clock::duration lastByte = line.outcomes.back().at + static_cast<long>(sent) * 1042us;
    line.Pass(10s);

    ASSERT_EQ(line.outcomes.size(), 2u) << c.name;
    EXPECT_EQ(line.outcomes[1].outcome, c.expected) << c.name;
    EXPECT_EQ(reception.CurrentPhase(), DumpReception::Phase::Idle);
    const Clock::duration waited = line.outcomes[1].at - lastByte;
    switch (c.expected) {
        case Outcome::AnswerEnded:
            EXPECT_LE(waited, kTiming.quietGap + 10ms) << c.name;
            EXPECT_EQ(reception.Findings().IsSound(), c.sound) << c.name;
            EXPECT_EQ(reception.Findings().length, *c.answer + c.extra) << c.name;
            EXPECT_EQ(reception.Image(), image) << c.name;
            break;
        case Outcome::AnswerStopped:
            EXPECT_LE(waited, kTiming.stallTimeout + 10ms) << c.name;
            EXPECT_EQ(reception.Findings().length, *c.answer) << c.name;
            break;
        default: EXPECT_LE(waited, kTiming.answerTimeout + 10ms) << c.name; break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReceptionCases,
    ::testing::Values(Case{"a whole answer", 0, kDumpSize, 0, 2000, Outcome::AnswerEnded, true},
                      Case{"an earlier answer's tail first", 4000, kDumpSize, 0, 12, Outcome::AnswerEnded, true},
                      Case{"one byte too many", 0, kDumpSize, 1, 12, Outcome::AnswerEnded, false},
                      Case{"a whole image again", 0, kDumpSize, kDumpSize, 12, Outcome::AnswerEnded, false},
                      Case{"a count past the memory", 0, kDumpSize, 0, 2001, Outcome::AnswerEnded, false},
                      Case{"an answer that stops", 0, 8000, 0, 12, Outcome::AnswerStopped, false},
                      Case{"one byte short", 0, kDumpSize - 1, 0, 12, Outcome::AnswerStopped, false},
                      Case{"no answer", 0, std::nullopt, 0, 0, Outcome::NoAnswer, false}),
    [](const ::testing::TestParamInfo<Case>& info) {
        std::string name = info.param.name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

TEST(DumpReception, InputNotYetHandedOverKeepsTheLineFromCountingAsQuiet) {
    DumpReception reception(kTiming);
    Line line(reception);
    line.pending = true;  // the dialog was busy: the monitor holds bytes it could not hand over yet
    line.Pass(1s);
    EXPECT_TRUE(line.outcomes.empty());
    line.pending = false;
    line.AwaitRequest();
    line.Send(kDumpSize);
    line.pending = true;
    line.Pass(1s);
    ASSERT_EQ(line.outcomes.size(), 1u);  // the answer has not ended while more of it may be on its way
    line.pending = false;
    line.Pass(1s);
    ASSERT_EQ(line.outcomes.size(), 2u);
    EXPECT_EQ(line.outcomes[1].outcome, Outcome::AnswerEnded);
}

TEST(DumpReception, BytesOutsideAnAnswerAreNeverStored) {
    DumpReception reception(kTiming);
    EXPECT_EQ(reception.StoreByte(1, Clock::now()), 0u);  // before any Start
    Line line(reception);
    line.AwaitRequest();
    line.Send(kDumpSize);
    line.Pass(1s);
    const DetectorDump shown = reception.Image();
    EXPECT_EQ(reception.StoreByte(0xEE, Clock::now()), 0u);  // after the answer ended
    EXPECT_EQ(reception.Image(), shown);
    EXPECT_EQ(reception.Findings().length, kDumpSize);
}

// A device that keeps sending, with pauses shorter than the quiet gap if any: no request ever goes out.
TEST(DumpReception, ALineThatIsNeverQuietEndsTheTransferWithoutARequest) {
    for (const Clock::duration spacing : {Clock::duration(1042us), Clock::duration(20ms), Clock::duration(100ms)}) {
        DumpReception reception(kTiming);
        Line line(reception);
        line.Send(8s / spacing, spacing);
        ASSERT_EQ(line.outcomes.size(), 1u) << spacing.count();
        EXPECT_EQ(line.outcomes[0].outcome, Outcome::LineNeverQuiet) << spacing.count();
        EXPECT_LE(line.outcomes[0].at, kTiming.busyLineLimit + 5ms) << spacing.count();
        EXPECT_EQ(reception.CurrentPhase(), DumpReception::Phase::Idle);
    }
}

// Start pressed again just after the request: the whole answer to it is still to come, longer than
// the line may otherwise be busy, and the new request waits for its end.
TEST(DumpReception, StartAgainLetsTheAnswerUnderWayPassInFull) {
    DumpReception reception(kTiming);
    Line line(reception);
    line.AwaitRequest();
    line.Send(10);
    line.Restart();
    line.Send(kDumpSize - 10);
    line.Pass(1s);
    ASSERT_EQ(line.outcomes.size(), 2u);
    EXPECT_EQ(line.outcomes[1].outcome, Outcome::SendRequest);
}

TEST(DumpReception, BeginStartsOverFromTheQuietLine) {
    DumpReception reception(kTiming);
    Line line(reception);
    line.AwaitRequest();
    line.Send(3000);
    reception.Begin(Clock::time_point{});  // Start pressed again mid-answer
    EXPECT_EQ(reception.CurrentPhase(), DumpReception::Phase::WaitingForQuiet);
    EXPECT_EQ(reception.StoreByte(9, Clock::time_point{}), 0u);
    EXPECT_EQ(reception.Findings().length, 0u);
}

}  // namespace
}  // namespace velanto
