#pragma once

#include <wx/notebook.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "store/record_store.h"
#include "store/store_error.h"

namespace velanto {

class SummaryPage;
class TrendPanel;

// The pages above the records: the chosen program's trend, and each program's summary. They follow the
// records' filter, and only the page shown is worked out, when it is shown: a summary of a million records
// takes a second.
class ResultPages : public wxNotebook {
public:
    enum Page { kTrendPage, kSummaryPage };

    // `clicked` is told the key of a record whose marker was clicked.
    ResultPages(wxWindow* parent, std::function<void(std::int64_t key)> clicked);

    // Shows the results `filter` covers in `store`, which must outlive them (or be given anew). The trend
    // follows the whole filter; the summary its period and detector.
    void Follow(RecordStore* store, const RecordFilter& filter);
    // Told when the store's server went away while a page read from it: the page keeps what it showed.
    void WhenConnectionLost(std::function<void(const StoreError&)> lost) { m_lost = std::move(lost); }
    // The store's records changed: everything is worked out anew.
    void StoreChanged() { m_summarized.reset(); }
    TrendPanel& Trend() { return *m_trend; }
    SummaryPage& Summary() { return *m_summary; }
    bool Shows(Page page) const { return GetSelection() == page; }

private:
    void ShowChosenPage();
    void ShowTrend();
    void ShowSummary();
    // Tells a lost connection to whoever listens, keeping the page as it was; false for any other error.
    bool Lost(const StoreError& error);

    TrendPanel* m_trend;
    SummaryPage* m_summary;
    std::function<void(const StoreError&)> m_lost;
    RecordStore* m_store = nullptr;
    RecordFilter m_filter;
    bool m_trendStale = false;
    std::optional<RecordFilter> m_summarized;  // the period and detector of the summary shown
};

}  // namespace velanto
