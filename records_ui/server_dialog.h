#pragma once

#include <wx/dialog.h>

#include "store/store_address.h"

class wxTextCtrl;

namespace velanto {

// The store on a server that the operator typed: an ODBC connection string ("DSN=records;UID=lab",
// "Driver={PostgreSQL Unicode};Server=..."), with or without "odbc:" before it, or a data source's name
// alone ("records").
StoreAddress ServerAddressOf(const wxString& typed);

// Asks for a store on a database server: its connection string or data source, and the password, which
// the data source may give instead.
class ServerDialog : public wxDialog {
public:
    // `last` is the server store opened last, as settings keep it (without its password); empty for none.
    ServerDialog(wxWindow* parent, const wxString& last);

    bool Typed() const;
    // The store typed, with the password typed when there is one.
    StoreAddress Address() const;

private:
    wxTextCtrl* m_connection;
    wxTextCtrl* m_password;
};

}  // namespace velanto
