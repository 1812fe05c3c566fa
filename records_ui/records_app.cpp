#include "records_ui/records_app.h"

#include <wx/filename.h>
#include <wx/fileconf.h>
#include <wx/stdpaths.h>

#include "records/command_line.h"
#include "records_ui/last_store.h"
#include "records_ui/records_frame.h"

namespace velanto {
namespace {

// The window's size and place, and the store open last, in the user's settings folder:
// ${XDG_CONFIG_HOME:-~/.config}/velanto/records.conf, or %APPDATA%\velanto\records.conf.
void UseSettingsFile() {
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    const wxString folder = wxStandardPaths::Get().GetUserConfigDir() + wxFILE_SEP_PATH + "velanto";
    wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    wxConfigBase::Set(new wxFileConfig("velanto-records", "", folder + wxFILE_SEP_PATH + "records.conf", "",
                                       wxCONFIG_USE_LOCAL_FILE));
}

}  // namespace

// The command line was read before the toolkit started; the base class would refuse its options.
bool RecordsApp::OnInit() {
    SetAppName("velanto-records");
    SetAppDisplayName("velanto records");
    UseSettingsFile();
    // A server's store opened last asks for its password again: the settings never keep one.
    const StoreAddress store = m_store ? *m_store : LastStore(*wxConfigBase::Get()).value_or(DefaultDatabasePath());
    auto* frame = new RecordsFrame(store);
    frame->Show();
    return true;
}

}  // namespace velanto
