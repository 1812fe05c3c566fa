#pragma once

#include <wx/listctrl.h>

#include <vector>

#include "dump/record_table.h"

namespace velanto {

// The record list on screen: a report list that draws its rows on demand from the
// in-memory record table it owns, so a full memory of 2000 rows shows at once. Its selection
// shows only while it has the focus.
class RecordListView final : public wxListCtrl, public RecordTable {
public:
    RecordListView(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size);

    // Removes every row and column, then adds the ten result columns, centred, 70 pixels wide.
    void SetUpResultColumns();

    void InsertRow(std::size_t index) override;
    void SetCellText(std::size_t row, std::size_t column, std::string_view text) override;
    void RemoveAllRows() override;

    std::size_t RowCount() const override;
    std::size_t ColumnCount() const override;
    std::string ColumnHeading(std::size_t column) const override;
    std::string CellText(std::size_t row, std::size_t column) const override;

private:
    wxString OnGetItemText(long item, long column) const override;
    // GTK would keep showing the selection without the focus: it is put aside meanwhile.
    void OnFocusLost(wxFocusEvent& event);
    void OnFocusGained(wxFocusEvent& event);

    MemoryRecordTable m_rows;
    std::vector<long> m_selectionAside;
};

}  // namespace velanto
