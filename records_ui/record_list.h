#pragma once

#include <wx/listctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "store/record_store.h"
#include "store/store_error.h"

namespace velanto {

// The records a filter covers, as a virtual list: it holds only their keys and fetches from the store the
// rows on screen, a page at a time, so that a million rows show at once. The keys themselves are read a
// batch at a time: the first at once, the rest while the program is idle. Failed and Caution rows are
// coloured.
class RecordList : public wxListCtrl {
public:
    explicit RecordList(wxWindow* parent);

    // Shows the records of `cursor`, read from `store`, which must outlive them (or be given anew);
    // `complete` is called once the last of them is in.
    void Show(RecordStore* store, RecordCursor cursor, std::function<void()> complete);
    // Told when the store's server went away while the list read from it: the list keeps the rows it has.
    void WhenConnectionLost(std::function<void(const StoreError&)> lost) { m_lost = std::move(lost); }
    // Reads no more keys: the store is about to be written, or closed.
    void StopReading() { m_cursor.reset(); }
    bool IsReading() const { return m_cursor.has_value(); }
    // The keys read so far, with their tally.
    const RecordSelection& Selection() const { return m_selection; }
    // The record in row `row`; the store is read when its page is not at hand.
    const ListedRecord* RecordAt(long row) const;
    // Selects the row of the record `key` alone and scrolls it into view, reading the rest of the keys first
    // when they are not all in yet; false when the list does not hold it.
    bool SelectKey(std::int64_t key);

private:
    wxString OnGetItemText(long row, long column) const override;
    wxItemAttr* OnGetItemAttr(long row) const override;
    void ReadKeys(std::size_t rows);
    // Runs `read`, a call to the store: true when it returned. A lost connection is told to the window and
    // gives false, leaving what the list shows as it was; any other error is thrown on.
    template <typename Read>
    bool Reading(Read&& read) const {
        try {
            read();
            return true;
        } catch (const StoreError& error) {
            if (error.Why() != StoreError::Cause::ConnectionLost || !m_lost) {
                throw;
            }
            m_lost(error);
            return false;
        }
    }
    void OnIdle(wxIdleEvent& event);

    static constexpr std::size_t kPageRows = 128;
    static constexpr std::size_t kFirstKeys = 1000;
    static constexpr std::size_t kIdleKeys = 50000;

    RecordStore* m_store = nullptr;
    std::optional<RecordCursor> m_cursor;
    std::function<void()> m_complete;
    std::function<void(const StoreError&)> m_lost;
    RecordSelection m_selection;
    // The page of rows last read, from row m_pageStart; the list asks for the rows of one screen in turn.
    mutable std::vector<ListedRecord> m_page;
    mutable std::size_t m_pageStart = 0;
    mutable wxItemAttr m_caution;
    mutable wxItemAttr m_failed;
};

}  // namespace velanto
