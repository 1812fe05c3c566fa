#include "records_ui/summary_page.h"

#include <wx/clipbrd.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

namespace velanto {
namespace {

using SummaryLess = bool (*)(const ProgramSummary&, const ProgramSummary&);

template <auto field>
bool FieldLess(const ProgramSummary& a, const ProgramSummary& b) {
    return a.*field < b.*field;
}

wxString Count(std::size_t value) { return wxString::Format("%zu", value); }

// A median of an even count may end in .5; other figures are whole RLU.
wxString Rlu(double value) {
    return value == std::floor(value) ? wxString::Format("%.0f", value) : wxString::Format("%.1f", value);
}

struct SummaryColumn {
    const char* heading;
    int width;
    wxListColumnFormat align;
    SummaryLess less;
    wxString (*text)(const ProgramSummary&);
};

const SummaryColumn kSummaryColumns[] = {
    {"Program", 70, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::program>,
     [](const ProgramSummary& s) { return wxString::Format("%lld", static_cast<long long>(s.program)); }},
    {"Name", 110, wxLIST_FORMAT_LEFT, FieldLess<&ProgramSummary::name>,
     [](const ProgramSummary& s) { return wxString::FromUTF8(s.name); }},
    {"Tests", 70, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::tests>,
     [](const ProgramSummary& s) { return Count(s.tests); }},
    {"Pass", 70, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::pass>,
     [](const ProgramSummary& s) { return Count(s.pass); }},
    {"Caution", 70, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::caution>,
     [](const ProgramSummary& s) { return Count(s.caution); }},
    {"Failed", 70, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::failed>,
     [](const ProgramSummary& s) { return Count(s.failed); }},
    {"Pass rate", 80, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::passRate>,
     [](const ProgramSummary& s) { return wxString::Format("%.1f %%", 100 * s.passRate); }},
    {"Median RLU", 90, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::medianRlu>,
     [](const ProgramSummary& s) { return Rlu(s.medianRlu); }},
    {"Highest RLU", 90, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::highestRlu>,
     [](const ProgramSummary& s) { return wxString::Format("%lld", static_cast<long long>(s.highestRlu)); }},
    // None sorts first: a program with too few passing results has no suggestion.
    {"Suggested upper limit*", 160, wxLIST_FORMAT_RIGHT, FieldLess<&ProgramSummary::suggestedUpper>,
     [](const ProgramSummary& s) { return s.suggestedUpper ? Rlu(std::round(*s.suggestedUpper)) : wxString("-"); }},
};
constexpr int kSummaryColumnCount = static_cast<int>(std::size(kSummaryColumns));

}  // namespace

SummaryPage::SummaryPage(wxWindow* parent) : wxPanel(parent) {
    m_list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_HRULES,
                            wxDefaultValidator, "summary");
    for (const SummaryColumn& column : kSummaryColumns) {
        m_list->AppendColumn(column.heading, column.align, FromDIP(column.width));
    }
    auto* footnote = new wxStaticText(
        this, wxID_ANY,
        "* mean + 3 standard deviations of the period's passing results: a suggestion, not a limit in force");
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_list, wxSizerFlags(1).Expand());
    column->Add(footnote, wxSizerFlags().Border(wxALL, FromDIP(4)));
    SetSizer(column);
    m_list->Bind(wxEVT_LIST_COL_CLICK, &SummaryPage::OnColumnClick, this);
}

void SummaryPage::ShowSummaries(std::vector<ProgramSummary> summaries) {
    m_summaries = std::move(summaries);
    m_ascending = !m_ascending;  // sorted again the way it was
    SortBy(m_sortColumn);
}

void SummaryPage::SortBy(int column) {
    if (column < 0 || column >= kSummaryColumnCount) {
        return;
    }
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    const SummaryLess less = kSummaryColumns[column].less;
    // By program first, so that equal figures stay in program order.
    std::ranges::sort(m_summaries, FieldLess<&ProgramSummary::program>);
    if (m_ascending) {
        std::ranges::stable_sort(m_summaries, less);
    } else {
        std::ranges::stable_sort(m_summaries, [less](const auto& a, const auto& b) { return less(b, a); });
    }
    Fill();
}

void SummaryPage::Fill() {
    m_list->Freeze();
    m_list->DeleteAllItems();
    for (std::size_t row = 0; row < m_summaries.size(); ++row) {
        const long item = m_list->InsertItem(static_cast<long>(row), kSummaryColumns[0].text(m_summaries[row]));
        for (int column = 1; column < kSummaryColumnCount; ++column) {
            m_list->SetItem(item, column, kSummaryColumns[column].text(m_summaries[row]));
        }
    }
    m_list->Thaw();
}

void SummaryPage::CopyToClipboard() const {
    wxClipboardLocker locker;
    if (!locker) {
        return;
    }
    wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(TabSeparatedOf(m_summaries))));
    wxTheClipboard->Flush();  // still there after the program ends
}

void SummaryPage::OnColumnClick(wxListEvent& event) { SortBy(event.GetColumn()); }

}  // namespace velanto
