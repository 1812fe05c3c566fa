#include "store/csv_export.h"

namespace velanto {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kHeader = "detector,test,date,time,program,name,result,rlu,lower,upper";
constexpr std::string_view kLineEnd = "\r\n";

// A text field, quoted (with its quotes doubled) when it holds a comma, a quote or a line break.
void AppendField(std::string& csv, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        csv += text;
        return;
    }
    csv += '"';
    for (const char c : text) {
        csv += c;
        if (c == '"') {
            csv += '"';
        }
    }
    csv += '"';
}

}  // namespace

std::string CsvOf(RecordStore& store, const RecordFilter& filter) {
    std::string csv(kByteOrderMark);
    csv += kHeader;
    csv += kLineEnd;
    store.ForEachRecord(filter, [&csv](const ListedRecord& listed) {
        const KeptRecord& r = listed.record;
        csv += std::to_string(r.detector) + ',' + std::to_string(r.test) + ',';
        AppendField(csv, r.date);
        csv += ',';
        AppendField(csv, r.time);
        csv += ',' + std::to_string(r.program) + ',';
        AppendField(csv, listed.programName);
        csv += ',' + r.verdict + ',' + std::to_string(r.rlu) + ',' + std::to_string(r.lower) + ',' +
               std::to_string(r.upper);
        csv += kLineEnd;
    });
    return csv;
}

}  // namespace velanto
