#include "records_ui/record_list.h"

#include <algorithm>
#include <span>

namespace velanto {
namespace {

struct Column {
    const char* heading;
    int width;
    wxListColumnFormat align;
};

constexpr Column kColumns[] = {{"Date", 100, wxLIST_FORMAT_LEFT},     {"Time", 60, wxLIST_FORMAT_LEFT},
                               {"Detector", 80, wxLIST_FORMAT_RIGHT}, {"Test", 60, wxLIST_FORMAT_RIGHT},
                               {"Program", 70, wxLIST_FORMAT_RIGHT},  {"Name", 180, wxLIST_FORMAT_LEFT},
                               {"RLU", 80, wxLIST_FORMAT_RIGHT},      {"Lower", 70, wxLIST_FORMAT_RIGHT},
                               {"Upper", 70, wxLIST_FORMAT_RIGHT},    {"Result", 80, wxLIST_FORMAT_LEFT}};

wxString Number(std::int64_t value) { return wxString::Format("%lld", static_cast<long long>(value)); }

wxString CellOf(const ListedRecord& listed, long column) {
    const KeptRecord& record = listed.record;
    switch (column) {
        case 0: return wxString::FromUTF8(record.date);
        case 1: return wxString::FromUTF8(record.time);
        case 2: return Number(record.detector);
        case 3: return Number(record.test);
        case 4: return Number(record.program);
        case 5: return wxString::FromUTF8(listed.programName);
        case 6: return Number(record.rlu);
        case 7: return Number(record.lower);
        case 8: return Number(record.upper);
        default: return wxString::FromUTF8(record.verdict);
    }
}

}  // namespace

RecordList::RecordList(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES,
                 wxDefaultValidator, "records") {
    for (const Column& column : kColumns) {
        AppendColumn(column.heading, column.align, FromDIP(column.width));
    }
    m_caution.SetBackgroundColour(wxColour(255, 236, 179));
    Bind(wxEVT_IDLE, &RecordList::OnIdle, this);
    m_failed.SetBackgroundColour(wxColour(255, 205, 210));
}

void RecordList::Show(RecordStore* store, RecordCursor cursor, std::function<void()> complete) {
    m_store = store;
    m_cursor.reset();
    // The first keys are read before the rows shown go: a server gone away leaves them as they were.
    RecordSelection first;
    bool more = false;
    if (!Reading([&] { more = cursor.Read(kFirstKeys, first); })) {
        return;
    }
    m_selection = std::move(first);
    m_page.clear();
    m_complete = std::move(complete);
    SetItemCount(static_cast<long>(m_selection.keys.size()));
    if (more) {
        m_cursor.emplace(std::move(cursor));
    } else {
        m_complete();
    }
    Refresh();
}

// Batches small enough for the window to stay responsive, large enough to read a million keys in a
// fraction of a second.
void RecordList::ReadKeys(std::size_t rows) {
    if (!m_cursor) {
        return;
    }
    bool more = false;
    if (!Reading([&] { more = m_cursor->Read(rows, m_selection); })) {
        m_cursor.reset();  // the keys read so far stay listed
        return;
    }
    SetItemCount(static_cast<long>(m_selection.keys.size()));
    if (!more) {
        m_cursor.reset();
        m_complete();
    }
}

void RecordList::OnIdle(wxIdleEvent& event) {
    ReadKeys(kIdleKeys);
    if (m_cursor) {
        event.RequestMore();
    }
    event.Skip();
}

const ListedRecord* RecordList::RecordAt(long row) const {
    const auto at = static_cast<std::size_t>(row);
    if (!m_store || row < 0 || at >= m_selection.keys.size()) {
        return nullptr;
    }
    if (at < m_pageStart || at >= m_pageStart + m_page.size()) {
        // The page around the row asked for, so that scrolling up or down reads the store rarely.
        const std::size_t start = at - std::min(at, kPageRows / 2);
        const std::size_t rows = std::min(kPageRows, m_selection.keys.size() - start);
        // Thrown on through the toolkit's drawing, a lost connection would end the program; the page at hand
        // stays.
        if (!Reading([&] { m_page = m_store->RecordsOf(std::span(m_selection.keys).subspan(start, rows)); })) {
            return nullptr;
        }
        m_pageStart = start;
        if (at >= m_pageStart + m_page.size()) {
            return nullptr;  // gone from the store meanwhile
        }
    }
    return &m_page[at - m_pageStart];
}

bool RecordList::SelectKey(std::int64_t key) {
    // A record further down than read so far: the rest of the keys are read until it is among them, as
    // scrolling to the end of the list would; each batch is searched once.
    std::size_t searched = 0;
    auto at = std::find(m_selection.keys.begin(), m_selection.keys.end(), key);
    while (at == m_selection.keys.end() && m_cursor) {
        searched = m_selection.keys.size();
        ReadKeys(kIdleKeys);
        at = std::find(m_selection.keys.begin() + static_cast<std::ptrdiff_t>(searched), m_selection.keys.end(), key);
    }
    if (at == m_selection.keys.end()) {
        return false;
    }
    const long row = static_cast<long>(at - m_selection.keys.begin());
    for (long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); selected != -1;
         selected = GetNextItem(selected, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
        SetItemState(selected, 0, wxLIST_STATE_SELECTED);
    }
    SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    EnsureVisible(row);
    return true;
}

wxString RecordList::OnGetItemText(long row, long column) const {
    const ListedRecord* record = RecordAt(row);
    return record ? CellOf(*record, column) : wxString();
}

wxItemAttr* RecordList::OnGetItemAttr(long row) const {
    const ListedRecord* record = RecordAt(row);
    if (!record) {
        return nullptr;
    }
    if (record->record.verdict == "Failed") {
        return &m_failed;
    }
    return record->record.verdict == "Caution" ? &m_caution : nullptr;
}

}  // namespace velanto
