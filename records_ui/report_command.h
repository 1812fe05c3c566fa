#pragma once

#include <wx/string.h>

#include <optional>
#include <string>

#include "report/html_report.h"
#include "store/record_store.h"

class wxWindow;

namespace velanto {

// The name a report is offered under: "report FROM to TO.html", or "report.html" without both dates.
wxString ReportFileName(const std::optional<std::string>& from, const std::optional<std::string>& to);

// Asks where to save the report of `request`, offering `fileName`, writes it whole and opens it in the
// system's browser; a report that cannot be made or written is told in a box, and no file is left half
// written.
void SaveAndOpenReport(wxWindow* parent, RecordStore& store, const ReportRequest& request, const wxString& fileName);

}  // namespace velanto
