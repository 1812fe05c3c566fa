#include "records_ui/server_dialog.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace velanto {

StoreAddress ServerAddressOf(const wxString& typed) {
    wxString connection = typed;
    connection.Trim(true).Trim(false);
    connection.StartsWith("odbc:", &connection);
    // A name alone is a data source's: a connection string names at least one keyword.
    if (!connection.Contains("=")) {
        connection = "DSN=" + connection;
    }
    return StoreAddressOf("odbc:" + connection.utf8_string());
}

ServerDialog::ServerDialog(wxWindow* parent, const wxString& last)
    : wxDialog(parent, wxID_ANY, "Open Database Server") {
    wxString connection = last;
    connection.StartsWith("odbc:", &connection);
    m_connection = new wxTextCtrl(this, wxID_ANY, connection, wxDefaultPosition, FromDIP(wxSize(420, -1)), 0,
                                  wxDefaultValidator, "connection");
    m_password = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxTE_PASSWORD, wxDefaultValidator,
                                "password");
    auto* fields = new wxFlexGridSizer(2, wxSizerFlags::GetDefaultBorder(), wxSizerFlags::GetDefaultBorder());
    fields->AddGrowableCol(1);
    fields->Add(new wxStaticText(this, wxID_ANY, "&Data source or connection string:"),
                wxSizerFlags().CentreVertical());
    fields->Add(m_connection, wxSizerFlags().Expand());
    fields->Add(new wxStaticText(this, wxID_ANY, "&Password:"), wxSizerFlags().CentreVertical());
    fields->Add(m_password, wxSizerFlags().Expand());
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY,
                                 "A store that several computers share, such as DSN=records. The password\n"
                                 "may stay empty when the data source gives one; it is never kept."),
                wxSizerFlags().Border());
    column->Add(fields, wxSizerFlags().Expand().Border());
    column->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), wxSizerFlags().Expand().Border());
    SetSizerAndFit(column);
    m_connection->SetFocus();
}

bool ServerDialog::Typed() const { return !m_connection->GetValue().Trim().IsEmpty(); }

StoreAddress ServerDialog::Address() const {
    const StoreAddress address = ServerAddressOf(m_connection->GetValue());
    const wxString password = m_password->GetValue();
    return password.empty() ? address : WithPassword(address, password.utf8_string());
}

}  // namespace velanto
