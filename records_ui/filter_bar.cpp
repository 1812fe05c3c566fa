#include "records_ui/filter_bar.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/wrapsizer.h>

#include <algorithm>

namespace velanto {
namespace {

constexpr const char* kResults[] = {"All results", "Pass", "Caution", "Failed"};

std::optional<std::string> IsoDateOf(const wxDatePickerCtrl& picker) {
    const wxDateTime date = picker.GetValue();
    return date.IsValid() ? std::optional<std::string>(date.FormatISODate().utf8_string()) : std::nullopt;
}

}  // namespace

FilterBar::FilterBar(wxWindow* parent, std::function<void()> changed) : wxPanel(parent), m_changed(std::move(changed)) {
    const long pickerStyle = wxDP_DROPDOWN | wxDP_ALLOWNONE | wxDP_SHOWCENTURY;
    m_from = new wxDatePickerCtrl(this, wxID_ANY, wxInvalidDateTime, wxDefaultPosition, wxDefaultSize, pickerStyle);
    m_to = new wxDatePickerCtrl(this, wxID_ANY, wxInvalidDateTime, wxDefaultPosition, wxDefaultSize, pickerStyle);
    m_detector = new wxChoice(this, wxID_ANY);
    m_result = new wxChoice(this, wxID_ANY);
    for (const char* result : kResults) {
        m_result->Append(result);
    }
    m_result->SetSelection(0);
    OfferDetectors({});
    auto* clear = new wxButton(this, wxID_ANY, "&Show all");

    // Wraps onto a second line in a narrow window rather than hiding its last controls.
    auto* row = new wxWrapSizer(wxHORIZONTAL);
    const auto add = [&](const char* label, wxWindow* control) {
        auto* pair = new wxBoxSizer(wxHORIZONTAL);
        pair->Add(new wxStaticText(this, wxID_ANY, label), wxSizerFlags().CenterVertical().Border(wxLEFT | wxRIGHT));
        pair->Add(control, wxSizerFlags().CenterVertical());
        row->Add(pair, wxSizerFlags().Border(wxBOTTOM, 2));
    };
    add("&From", m_from);
    add("&To", m_to);
    add("&Detector", m_detector);
    add("&Result", m_result);
    row->Add(clear, wxSizerFlags().CenterVertical().Border(wxLEFT | wxRIGHT));
    SetSizer(row);

    const auto tell = [this](wxEvent&) { m_changed(); };
    m_from->Bind(wxEVT_DATE_CHANGED, tell);
    m_to->Bind(wxEVT_DATE_CHANGED, tell);
    m_detector->Bind(wxEVT_CHOICE, tell);
    m_result->Bind(wxEVT_CHOICE, tell);
    clear->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        Clear();
        m_changed();
    });
}

RecordFilter FilterBar::Filter() const {
    RecordFilter filter;
    filter.from = IsoDateOf(*m_from);
    filter.to = IsoDateOf(*m_to);
    if (const int detector = m_detector->GetSelection(); detector > 0) {
        filter.detector = m_detectors[static_cast<std::size_t>(detector) - 1];
    }
    if (const int result = m_result->GetSelection(); result > 0) {
        filter.verdict = kResults[result];
    }
    return filter;
}

void FilterBar::OfferDetectors(const std::vector<std::int64_t>& detectors) {
    const std::optional<std::int64_t> chosen = Filter().detector;
    m_detectors = detectors;
    m_detector->Clear();
    m_detector->Append("All detectors");
    int toChoose = 0;
    for (std::size_t at = 0; at < detectors.size(); ++at) {
        m_detector->Append(wxString::Format("%lld", static_cast<long long>(detectors[at])));
        toChoose = chosen == detectors[at] ? static_cast<int>(at) + 1 : toChoose;
    }
    m_detector->SetSelection(toChoose);
}

void FilterBar::Clear() {
    m_from->SetValue(wxInvalidDateTime);
    m_to->SetValue(wxInvalidDateTime);
    m_detector->SetSelection(0);
    m_result->SetSelection(0);
}

}  // namespace velanto
