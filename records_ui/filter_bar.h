#pragma once

#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "store/record_store.h"

class wxChoice;
class wxDatePickerCtrl;

namespace velanto {

// The period, detector and result the records are narrowed to; each change is told to `changed`.
class FilterBar : public wxPanel {
public:
    FilterBar(wxWindow* parent, std::function<void()> changed);

    // The filter chosen, for every program.
    RecordFilter Filter() const;
    // Offers `detectors` to choose from, keeping the one chosen when it is still among them.
    void OfferDetectors(const std::vector<std::int64_t>& detectors);
    // Back to every record.
    void Clear();

private:
    wxDatePickerCtrl* m_from;
    wxDatePickerCtrl* m_to;
    wxChoice* m_detector;
    wxChoice* m_result;
    std::vector<std::int64_t> m_detectors;
    std::function<void()> m_changed;
};

}  // namespace velanto
