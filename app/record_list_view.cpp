#include "app/record_list_view.h"

namespace velanto {

RecordListView::RecordListView(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size)
    : wxListCtrl(parent, id, position, size, wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN) {
    Bind(wxEVT_KILL_FOCUS, &RecordListView::OnFocusLost, this);
    Bind(wxEVT_SET_FOCUS, &RecordListView::OnFocusGained, this);
}

void RecordListView::SetUpResultColumns() {
    RemoveAllRows();
    while (GetColumnCount() > 0) {
        DeleteColumn(0);
    }
    for (std::size_t column = 0; column < kResultHeadings.size(); ++column) {
        const std::string_view heading = kResultHeadings[column];
        InsertColumn(static_cast<long>(column), wxString::FromUTF8(heading.data(), heading.size()),
                     wxLIST_FORMAT_CENTRE, 70);
    }
}

void RecordListView::InsertRow(std::size_t index) {
    m_rows.InsertRow(index);
    SetItemCount(static_cast<long>(m_rows.RowCount()));
}

void RecordListView::SetCellText(std::size_t row, std::size_t column, std::string_view text) {
    m_rows.SetCellText(row, column, text);
    RefreshItem(static_cast<long>(row));
}

void RecordListView::RemoveAllRows() {
    m_selectionAside.clear();
    m_rows.RemoveAllRows();
    DeleteAllItems();
}

std::size_t RecordListView::RowCount() const { return m_rows.RowCount(); }

std::size_t RecordListView::ColumnCount() const { return static_cast<std::size_t>(GetColumnCount()); }

std::string RecordListView::ColumnHeading(std::size_t column) const {
    wxListItem item;
    item.SetMask(wxLIST_MASK_TEXT);
    if (column >= ColumnCount() || !GetColumn(static_cast<int>(column), item)) {
        return {};
    }
    return item.GetText().utf8_string();
}

std::string RecordListView::CellText(std::size_t row, std::size_t column) const {
    return column < ColumnCount() ? m_rows.CellText(row, column) : std::string();
}

wxString RecordListView::OnGetItemText(long item, long column) const {
    const std::string& text = m_rows.CellRef(static_cast<std::size_t>(item), static_cast<std::size_t>(column));
    return wxString::FromUTF8(text.data(), text.size());
}

void RecordListView::OnFocusLost(wxFocusEvent& event) {
    // Added to, not replaced: GTK may report a loss twice.
    for (long row = -1; (row = GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1;) {
        SetItemState(row, 0, wxLIST_STATE_SELECTED);
        m_selectionAside.push_back(row);
    }
    event.Skip();  // the list's own focus handling runs too
}

void RecordListView::OnFocusGained(wxFocusEvent& event) {
    for (const long row : m_selectionAside) {
        SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }
    m_selectionAside.clear();
    event.Skip();  // the list's own focus handling runs too
}

}  // namespace velanto
