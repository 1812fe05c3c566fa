#include "records_ui/result_pages.h"

#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <tuple>

#include "records_ui/summary_page.h"
#include "records_ui/trend_panel.h"
#include "report/program_summary.h"
#include "report/trend_data.h"

namespace velanto {
namespace {

// What a summary covers of a filter: its period and detector, whatever program and verdict are chosen.
RecordFilter PeriodOf(const RecordFilter& filter) {
    RecordFilter period;
    period.from = filter.from;
    period.to = filter.to;
    period.detector = filter.detector;
    return period;
}

bool SamePeriod(const RecordFilter& a, const RecordFilter& b) {
    return std::tie(a.from, a.to, a.detector) == std::tie(b.from, b.to, b.detector);
}

}  // namespace

ResultPages::ResultPages(wxWindow* parent, std::function<void(std::int64_t)> clicked)
    : wxNotebook(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "pages") {
    m_trend = new TrendPanel(this, std::move(clicked));
    m_summary = new SummaryPage(this);
    AddPage(m_trend, "Trend", true);
    AddPage(m_summary, "Summary");
    const auto changed = [this](wxBookCtrlEvent& event) {
        // After the page has changed: the event comes before GetSelection() gives the new page.
        CallAfter([this] { ShowChosenPage(); });
        event.Skip();
    };
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, changed);
}

void ResultPages::Follow(RecordStore* store, const RecordFilter& filter) {
    if (store != m_store) {
        m_summarized.reset();
    }
    m_store = store;
    m_filter = filter;
    m_trendStale = true;
    ShowChosenPage();
}

void ResultPages::ShowChosenPage() {
    if (!m_store) {
        return;
    }
    if (Shows(kTrendPage) && m_trendStale) {
        ShowTrend();
    } else if (Shows(kSummaryPage) && !(m_summarized && SamePeriod(*m_summarized, m_filter))) {
        ShowSummary();
    }
}

bool ResultPages::Lost(const StoreError& error) {
    if (error.Why() != StoreError::Cause::ConnectionLost || !m_lost) {
        return false;
    }
    m_lost(error);
    return true;
}

void ResultPages::ShowTrend() {
    m_trendStale = false;
    if (!m_filter.program) {
        m_trend->ShowMessage("Choose a program to see its trend.");
        return;
    }
    wxBusyCursor busy;
    try {
        m_trend->ShowTrend(TrendOf(*m_store, m_filter));
    } catch (const StoreError& error) {
        if (!Lost(error)) {
            m_trend->ShowMessage("The trend could not be read: " + wxString::FromUTF8(error.what()));
        }
        m_trendStale = true;  // worked out again once the server is back
    } catch (const std::exception& error) {
        m_trend->ShowMessage("The trend could not be read: " + wxString::FromUTF8(error.what()));
    }
}

void ResultPages::ShowSummary() {
    wxBusyCursor busy;
    m_summarized = PeriodOf(m_filter);
    try {
        m_summary->ShowSummaries(SummarizePrograms(*m_store, *m_summarized));
    } catch (const StoreError& error) {
        if (Lost(error)) {
            m_summarized.reset();
            return;
        }
        m_summary->ShowSummaries({});
        wxMessageBox("The summary could not be read: " + wxString::FromUTF8(error.what()), "velanto records",
                     wxOK | wxICON_ERROR, this);
    } catch (const std::exception& error) {
        m_summary->ShowSummaries({});
        wxMessageBox("The summary could not be read: " + wxString::FromUTF8(error.what()), "velanto records",
                     wxOK | wxICON_ERROR, this);
    }
}

}  // namespace velanto
