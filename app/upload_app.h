#pragma once

#include <wx/app.h>

#include <memory>

namespace velanto {

class HelpBook;

// The application: runs the main dialog once and ends when it closes.
class CUploadApp final : public wxApp {
public:
    CUploadApp();
    ~CUploadApp() override;

    // Builds the main dialog, runs it modally and destroys it (which stops the port's monitor),
    // then returns false: no message loop follows, and the process ends.
    bool OnInit() override;

private:
    void OnHelp(wxHelpEvent& event);

    std::unique_ptr<HelpBook> m_help;
};

}  // namespace velanto

wxDECLARE_APP(velanto::CUploadApp);
