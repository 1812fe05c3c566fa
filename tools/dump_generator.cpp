#include "tools/dump_generator.h"

#include <algorithm>
#include <random>

namespace velanto {
namespace {

constexpr std::size_t kProgramsInTable = 102;

void PutBigEndian16(DetectorDump& image, std::size_t offset, std::uint32_t value) {
    image[offset] = static_cast<std::uint8_t>(value >> 8);
    image[offset + 1] = static_cast<std::uint8_t>(value);
}

// Uniform enough for test data, and unlike the standard distributions the same on every platform.
std::uint32_t Draw(std::mt19937& engine, std::uint32_t low, std::uint32_t high) {
    return low + static_cast<std::uint32_t>(engine() % (high - low + 1));
}

void WriteLimitTable(DetectorDump& image, std::mt19937& engine) {
    for (std::size_t program = 0; program < kProgramsInTable; ++program) {
        const std::uint32_t lower = Draw(engine, 5, 60) * 10;
        const std::uint32_t upper = lower * Draw(engine, 2, 6);
        const std::size_t offset = kLimitTableOffset + kLimitEntrySize * program;
        PutBigEndian16(image, offset, upper);
        PutBigEndian16(image, offset + 2, lower);
    }
}

struct Clock {
    std::uint32_t year = 7, month = 3, day = 1, hour = 8, minute = 0;

    explicit Clock(std::uint32_t firstDay) {
        const std::uint32_t months = (day - 1 + firstDay) / 28 + (month - 1);
        day = (day - 1 + firstDay) % 28 + 1;
        month = months % 12 + 1;
        year += months / 12;
    }

    void Advance(std::mt19937& engine) {
        minute += Draw(engine, 1, 25);
        hour += minute / 60;
        minute %= 60;
        if (hour < 17) {
            return;
        }
        hour = 8;
        if (++day > 28) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
};

// An RLU value that lands below, between or above the program's limits.
std::uint32_t DrawRlu(std::mt19937& engine, const LimitEntry& limits) {
    switch (Draw(engine, 0, 9)) {
        case 0: return Draw(engine, limits.upper + 1, limits.upper * 3);
        case 1:
        case 2: return Draw(engine, limits.lower + 1, limits.upper);
        default: return Draw(engine, 0, limits.lower);
    }
}

void WriteRecord(DetectorDump& image, std::size_t k, std::uint8_t program, std::uint32_t rlu, const Clock& clock) {
    std::uint8_t* record = image.data() + kRecordBase + kRecordSize * k;
    record[0] = static_cast<std::uint8_t>(rlu / 100);
    record[1] = static_cast<std::uint8_t>(rlu % 100);
    record[2] = program;
    record[3] = static_cast<std::uint8_t>(clock.minute);
    record[4] = static_cast<std::uint8_t>(clock.hour);
    record[5] = static_cast<std::uint8_t>(clock.day);
    record[6] = static_cast<std::uint8_t>(clock.month);
    record[7] = static_cast<std::uint8_t>(clock.year);
}

}  // namespace

DetectorDump GenerateDump(const DumpRecipe& recipe) {
    DetectorDump image{};
    std::mt19937 engine(recipe.seed);
    const std::size_t records = std::min(recipe.records, kMaxRecords);
    PutBigEndian16(image, 1, static_cast<std::uint32_t>(records));
    PutBigEndian16(image, 5, recipe.identifier);
    WriteLimitTable(image, engine);

    Clock clock(recipe.firstDay);
    for (std::size_t k = 1; k <= records; ++k) {
        clock.Advance(engine);
        const auto program = static_cast<std::uint8_t>(Draw(engine, 1, 12));
        const std::uint32_t rlu = DrawRlu(engine, ReadLimitEntry(image, program));
        WriteRecord(image, k, program, rlu, clock);
    }
    return image;
}

}  // namespace velanto
