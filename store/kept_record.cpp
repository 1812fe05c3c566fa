#include "store/kept_record.h"

#include <charconv>
#include <optional>

#include "store/sqlite_database.h"

namespace velanto {
namespace {

enum Column : std::size_t { kId, kTest, kDate, kHour, kProgram, kResult, kRlu, kLower, kUpper };

std::optional<std::int64_t> WholeNumber(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::int64_t NumberCell(const RecordTable& rows, std::size_t row, Column column) {
    const std::string text = rows.CellText(row, column);
    if (const std::optional<std::int64_t> value = WholeNumber(text)) {
        return *value;
    }
    throw StoreError("row " + std::to_string(row + 1) + ": " + std::string(kResultHeadings[column].substr(1)) + " \"" +
                     text + "\" is not a number");
}

// The number of the `length` digits at `at`, when they are all digits.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t length) {
    if (at + length > text.size()) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> value = WholeNumber(text.substr(at, length));
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "YYYY-MM-DD" for a list's "YYYY/MM/DD" that is a calendar date.
std::optional<std::string> IsoDate(std::string_view text) {
    const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    if (text.size() != 10 || text[4] != '/' || text[7] != '/' || !year || !month || !day || *month < 1 || *month > 12 ||
        *day < 1 || *day > DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    std::string iso(text);
    iso[4] = iso[7] = '-';
    return iso;
}

bool IsTimeOfDay(std::string_view text) {
    const auto hour = Digits(text, 0, 2), minute = Digits(text, 3, 2);
    return text.size() == 5 && text[2] == ':' && hour && minute && *hour < 24 && *minute < 60;
}

}  // namespace

KeptRecord KeptRecordOf(const RecordTable& rows, std::size_t row) {
    KeptRecord record;
    record.detector = NumberCell(rows, row, kId);
    record.test = NumberCell(rows, row, kTest);
    record.program = NumberCell(rows, row, kProgram);
    record.rlu = NumberCell(rows, row, kRlu);
    record.lower = NumberCell(rows, row, kLower);
    record.upper = NumberCell(rows, row, kUpper);
    record.verdict = rows.CellText(row, kResult);
    if (record.verdict != "Pass" && record.verdict != "Caution" && record.verdict != "Failed") {
        throw StoreError("row " + std::to_string(row + 1) + ": Result \"" + record.verdict +
                         "\" is none of Pass, Caution and Failed");
    }
    const std::string date = rows.CellText(row, kDate);
    const std::optional<std::string> iso = IsoDate(date);
    record.date = iso.value_or(date);
    record.time = rows.CellText(row, kHour);
    record.calendarValid = iso.has_value() && IsTimeOfDay(record.time);
    return record;
}

}  // namespace velanto
