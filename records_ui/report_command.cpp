#include "records_ui/report_command.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "os/whole_file.h"
#include "store/store_error.h"

namespace velanto {

wxString ReportFileName(const std::optional<std::string>& from, const std::optional<std::string>& to) {
    if (!from || !to) {
        return "report.html";
    }
    return "report " + wxString::FromUTF8(*from) + " to " + wxString::FromUTF8(*to) + ".html";
}

void SaveAndOpenReport(wxWindow* parent, RecordStore& store, const ReportRequest& request, const wxString& fileName) {
    wxFileDialog dialog(parent, "Save report", "", fileName, "Web pages (*.html)|*.html|All files|*",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    const wxString path = dialog.GetPath();
    std::string html;
    {
        wxBusyCursor busy;
        try {
            html = HtmlReportOf(store, request);
        } catch (const StoreError& error) {
            if (error.Why() == StoreError::Cause::ConnectionLost) {
                throw;  // the window offers to reconnect
            }
            wxMessageBox("The report could not be made: " + wxString::FromUTF8(error.what()), "velanto records",
                         wxOK | wxICON_ERROR, parent);
            return;
        } catch (const std::exception& error) {
            wxMessageBox("The report could not be made: " + wxString::FromUTF8(error.what()), "velanto records",
                         wxOK | wxICON_ERROR, parent);
            return;
        }
    }
    if (const FailureCause cause = WriteFileWhole(path.utf8_string(), html); !cause.empty()) {
        wxMessageBox("The report could not be written: " + wxString::FromUTF8(cause), "velanto records",
                     wxOK | wxICON_ERROR, parent);
        return;
    }
    bool opened = false;
    {
        wxLogNull quiet;  // the box below says it in the program's own words
        opened = wxLaunchDefaultBrowser(wxFileName::FileNameToURL(wxFileName(path)));
    }
    if (!opened) {
        wxMessageBox("The report is saved as " + path + ", but no web browser could be started to show it.",
                     "velanto records", wxOK | wxICON_INFORMATION, parent);
    }
}

}  // namespace velanto
