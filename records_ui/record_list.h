#pragma once

#include <wx/listctrl.h>

#include <cstdint>
#include <vector>

#include "store/record_store.h"

namespace velanto {

// The records a filter covers, as a virtual list: it holds only their keys and fetches from the store the
// rows on screen, a page at a time, so that a million rows show at once. Failed and Caution rows are
// coloured.
class RecordList : public wxListCtrl {
public:
    explicit RecordList(wxWindow* parent);

    // Shows the records of `keys`, read from `store`, which must outlive them (or be given anew).
    void Show(RecordStore* store, std::vector<std::int64_t> keys);
    // The record in row `row`; the store is read when its page is not at hand.
    const ListedRecord* RecordAt(long row) const;

private:
    wxString OnGetItemText(long row, long column) const override;
    wxItemAttr* OnGetItemAttr(long row) const override;

    static constexpr std::size_t kPageRows = 128;

    RecordStore* m_store = nullptr;
    std::vector<std::int64_t> m_keys;
    // The page of rows last read, from row m_pageStart; the list asks for the rows of one screen in turn.
    mutable std::vector<ListedRecord> m_page;
    mutable std::size_t m_pageStart = 0;
    mutable wxItemAttr m_caution;
    mutable wxItemAttr m_failed;
};

}  // namespace velanto
