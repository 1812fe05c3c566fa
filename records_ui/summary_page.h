#pragma once

#include <wx/panel.h>

#include <vector>

#include "report/program_summary.h"

class wxListCtrl;
class wxListEvent;

namespace velanto {

// Each program's figures over a period, in a list sorted by the column last clicked (again: the other
// way), with the suggested upper limit marked as a suggestion.
class SummaryPage : public wxPanel {
public:
    explicit SummaryPage(wxWindow* parent);

    void ShowSummaries(std::vector<ProgramSummary> summaries);
    // Sorts by `column`; by the same column again, the other way.
    void SortBy(int column);
    // The summaries as shown, in their order.
    const std::vector<ProgramSummary>& Shown() const { return m_summaries; }
    // Puts the summaries as shown on the clipboard, tab-separated.
    void CopyToClipboard() const;

private:
    void Fill();
    void OnColumnClick(wxListEvent& event);

    wxListCtrl* m_list;
    std::vector<ProgramSummary> m_summaries;
    int m_sortColumn = 0;
    bool m_ascending = true;
};

}  // namespace velanto
