#pragma once

#include <wx/window.h>

#include "export/export_ui.h"

namespace velanto {

// The exports' message boxes and file choosers, as wx dialogs owned by the main dialog.
class WxExportUi final : public ExportUi {
public:
    explicit WxExportUi(wxWindow& owner) : m_owner(owner) {}

    void ShowMessage(const std::string& text) override;
    void ShowInformation(const std::string& title, const std::string& text) override;
    std::optional<std::string> AskSavePath(const SaveFileRequest& request) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;

private:
    wxWindow& m_owner;
};

// The wx wildcard of a save request's filters: "description|pattern|...".
wxString FilterWildcard(const SaveFileRequest& request);

}  // namespace velanto
