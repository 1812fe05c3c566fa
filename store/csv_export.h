#pragma once

#include <string>

#include "store/record_store.h"

namespace velanto {

// The records `filter` covers as CSV (RFC 4180: CR LF line ends, fields quoted where they need it) in
// UTF-8 with a byte-order mark, which spreadsheet programs need to read it as UTF-8: a header line, then one
// line a record, with ISO 8601 dates and numbers as numbers.
std::string CsvOf(RecordStore& store, const RecordFilter& filter);

}  // namespace velanto
