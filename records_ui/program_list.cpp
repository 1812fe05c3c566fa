#include "records_ui/program_list.h"

namespace velanto {

ProgramList::ProgramList(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_SINGLE_SEL) {
    AppendColumn("Program", wxLIST_FORMAT_RIGHT, FromDIP(70));
    AppendColumn("Name", wxLIST_FORMAT_LEFT, FromDIP(170));
    AppendColumn("Records", wxLIST_FORMAT_RIGHT, FromDIP(80));
}

void ProgramList::Show(const std::vector<ProgramTally>& programs) {
    const std::optional<std::int64_t> chosen = Chosen();
    m_programs = programs;
    Freeze();
    DeleteAllItems();
    std::size_t total = 0;
    for (const ProgramTally& program : programs) {
        total += program.records;
    }
    InsertItem(0, "All");
    SetItem(0, 2, wxString::Format("%zu", total));
    long toChoose = 0;
    for (std::size_t at = 0; at < programs.size(); ++at) {
        const long row = static_cast<long>(at) + 1;
        InsertItem(row, wxString::Format("%lld", static_cast<long long>(programs[at].program)));
        SetItem(row, 1, wxString::FromUTF8(programs[at].name));
        SetItem(row, 2, wxString::Format("%zu", programs[at].records));
        toChoose = chosen == programs[at].program ? row : toChoose;
    }
    // Chosen without an event: the owner refreshes the records itself.
    SetEvtHandlerEnabled(false);
    SetItemState(toChoose, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    SetEvtHandlerEnabled(true);
    Thaw();
}

std::optional<std::int64_t> ProgramList::Chosen() const {
    const long row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row <= 0 || static_cast<std::size_t>(row) > m_programs.size()) {
        return std::nullopt;
    }
    return m_programs[static_cast<std::size_t>(row) - 1].program;
}

wxString ProgramList::ChosenName() const {
    const long row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    return row > 0 ? GetItemText(row, 1) : wxString();
}

}  // namespace velanto
