#pragma once

#include <wx/listctrl.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "store/record_store.h"

namespace velanto {

// The test programs with their names and record counts, above them a row for all programs; choosing a
// row narrows the records to that program.
class ProgramList : public wxListCtrl {
public:
    explicit ProgramList(wxWindow* parent);

    // Shows `programs`, keeping the program chosen when it is still among them.
    void Show(const std::vector<ProgramTally>& programs);
    // The program chosen; nothing for all programs.
    std::optional<std::int64_t> Chosen() const;
    // The name of the program chosen, as shown.
    wxString ChosenName() const;

private:
    std::vector<ProgramTally> m_programs;
};

}  // namespace velanto
