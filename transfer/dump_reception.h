#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "dump/detector_dump.h"

namespace velanto {

// The pauses that tell, on a line without framing, where an answer begins and where it ends.
struct ReceptionTiming {
    // The line counts as quiet after this long without a byte: before the request (so that the tail of an
    // earlier answer is never taken for the start of this one) and after the last byte of an answer.
    std::chrono::milliseconds quietGap;
    // No first byte this long after the request: nobody answers.
    std::chrono::milliseconds answerTimeout;
    // No further byte this long in the middle of an answer: it has stopped.
    std::chrono::milliseconds stallTimeout;
    // Not quiet once this long after Start: something on the line keeps sending, and no request goes out.
    std::chrono::milliseconds busyLineLimit;
    // One character on the line.
    std::chrono::microseconds characterTime;
};

// The pauses for a line of `baud` bits a second with ten bit times a character.
ReceptionTiming TimingForLine(std::uint32_t baud);

// What an ended answer looked like. The detector answers one request with exactly kDumpSize bytes and
// never holds more than kMaxRecords records.
struct AnswerFindings {
    std::size_t length = 0;            // bytes the answer had, those past the image included
    std::uint16_t claimedRecords = 0;  // the record count in its header

    bool IsTooLong() const { return length > kDumpSize; }
    bool ClaimsTooManyRecords() const { return claimedRecords > kMaxRecords; }
    bool IsSound() const { return !IsTooLong() && !ClaimsTooManyRecords(); }
};

// One transfer from the detector: the line is let run until it is quiet, then the request goes out and
// the answer is gathered into the image until the line is quiet again. The caller feeds it the bytes
// received and looks at the clock regularly through Tick; nothing here waits or keeps time itself.
class DumpReception {
public:
    using Clock = std::chrono::steady_clock;

    enum class Phase { Idle, WaitingForQuiet, AwaitingAnswer, Receiving };

    // What a look at the clock found.
    enum class Outcome {
        None,            // nothing new
        SendRequest,     // the line is quiet: send the request now
        LineNeverQuiet,  // the line was never quiet long enough for a request; none was sent
        NoAnswer,        // the request had no answer
        AnswerStopped,   // the answer stopped short of a whole image; it is dropped
        AnswerEnded,     // the line is quiet after at least a whole image: see Findings
    };

    explicit DumpReception(ReceptionTiming timing) : m_timing(timing) {}

    // Starts a transfer over: whatever the line still carries is let pass first. An answer to the request
    // of a transfer under way may take its full time to pass before the line counts as never quiet.
    void Begin(Clock::time_point now);
    // Gives the transfer up; bytes are ignored until the next Begin.
    void Stop() { m_phase = Phase::Idle; }

    // One byte from the line. Returns how many bytes of the image the answer has filled so far, 0 for a
    // byte that belongs to no answer (it came before the request or after the answer ended).
    std::size_t StoreByte(std::uint8_t byte, Clock::time_point now);

    // `inputPending` when the line holds bytes that have not been handed over yet: the line is not quiet
    // then, however long ago the last byte was stored.
    Outcome Tick(Clock::time_point now, bool inputPending);

    Phase CurrentPhase() const { return m_phase; }
    // The answer gathered so far: its length and its header's count.
    AnswerFindings Findings() const;
    // The image: the first kDumpSize bytes of the answer.
    const DetectorDump& Image() const { return m_image; }

private:
    // When the answer to the request under way will have come whole at the latest; `now` when none is out.
    Clock::time_point AnswerDue(Clock::time_point now) const;

    ReceptionTiming m_timing;
    Phase m_phase = Phase::Idle;
    Clock::time_point m_lastActivity{};   // the last byte, or the request while none has come
    Clock::time_point m_quietDeadline{};  // the line must have been quiet by then for the request to go out
    std::size_t m_length = 0;
    DetectorDump m_image{};
};

}  // namespace velanto
