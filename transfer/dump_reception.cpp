#include "transfer/dump_reception.h"

#include <algorithm>

namespace velanto {

ReceptionTiming TimingForLine(std::uint32_t baud) {
    using std::chrono::milliseconds;
    constexpr std::uint32_t kBitsPerCharacter = 10;  // start bit, eight data bits, stop bit
    constexpr std::uint32_t kQuietCharacters = 100;
    // A sending UART leaves no gap between characters, and the detector sends its memory in one go: a
    // hundred character times of silence (0.1 s at 9600 baud) means it has stopped, while pauses of a
    // loaded PC's scheduler stay well below it. The detector starts answering at once, so four seconds is
    // ample for its first byte; two seconds without a byte mid-answer is some two thousand characters.
    // A line with no such pause for five seconds carries no answer of the detector's but something that
    // keeps sending (a GPS receiver, a scale, a detector in another output mode): fifty times the gap,
    // which no loaded scheduler fills, and the operator hears of it well within ten seconds of Start.
    const std::uint32_t quietMilliseconds = (kQuietCharacters * kBitsPerCharacter * 1000 + baud - 1) / baud;
    const std::uint32_t characterMicroseconds = (kBitsPerCharacter * 1000000 + baud - 1) / baud;
    return {milliseconds(quietMilliseconds), milliseconds(4000), milliseconds(2000), milliseconds(5000),
            std::chrono::microseconds(characterMicroseconds)};
}

void DumpReception::Begin(Clock::time_point now) {
    m_quietDeadline = std::max(now, AnswerDue(now)) + m_timing.busyLineLimit;
    m_phase = Phase::WaitingForQuiet;
    m_lastActivity = now;
    m_length = 0;
}

DumpReception::Clock::time_point DumpReception::AnswerDue(Clock::time_point now) const {
    if (m_phase != Phase::AwaitingAnswer && m_phase != Phase::Receiving) {
        return now;
    }
    const std::size_t missing = kDumpSize - std::min(m_length, kDumpSize);
    return m_lastActivity + m_timing.characterTime * static_cast<long>(missing);
}

std::size_t DumpReception::StoreByte(std::uint8_t byte, Clock::time_point now) {
    switch (m_phase) {
        case Phase::Idle: return 0;
        case Phase::WaitingForQuiet: m_lastActivity = now; return 0;
        case Phase::AwaitingAnswer: m_phase = Phase::Receiving; break;
        case Phase::Receiving: break;
    }
    if (m_length < kDumpSize) {
        m_image[m_length] = byte;
    }
    ++m_length;
    m_lastActivity = now;
    return std::min(m_length, kDumpSize);
}

DumpReception::Outcome DumpReception::Tick(Clock::time_point now, bool inputPending) {
    if (m_phase == Phase::Idle) {
        return Outcome::None;
    }
    if (m_phase == Phase::WaitingForQuiet && now >= m_quietDeadline) {
        m_phase = Phase::Idle;
        return Outcome::LineNeverQuiet;
    }
    if (inputPending) {
        if (m_phase != Phase::AwaitingAnswer) {
            m_lastActivity = now;
        }
        return Outcome::None;
    }
    const auto silence = now - m_lastActivity;
    switch (m_phase) {
        case Phase::WaitingForQuiet:
            if (silence >= m_timing.quietGap) {
                m_phase = Phase::AwaitingAnswer;
                m_lastActivity = now;
                return Outcome::SendRequest;
            }
            break;
        case Phase::AwaitingAnswer:
            if (silence >= m_timing.answerTimeout) {
                m_phase = Phase::Idle;
                return Outcome::NoAnswer;
            }
            break;
        case Phase::Receiving:
            if (m_length >= kDumpSize && silence >= m_timing.quietGap) {
                m_phase = Phase::Idle;
                return Outcome::AnswerEnded;
            }
            if (m_length < kDumpSize && silence >= m_timing.stallTimeout) {
                m_phase = Phase::Idle;
                return Outcome::AnswerStopped;
            }
            break;
        case Phase::Idle: break;
    }
    return Outcome::None;
}

AnswerFindings DumpReception::Findings() const {
    const std::uint16_t claimed = m_length >= kHeaderSize ? ReadDumpHeader(m_image).recordCount : 0;
    return {m_length, claimed};
}

}  // namespace velanto
