#pragma once

#include <wx/app.h>

#include <optional>

#include "store/store_address.h"

namespace velanto {

// velanto records with its window: opens the store named on the command line, else the one open last, else
// the default one.
class RecordsApp : public wxApp {
public:
    explicit RecordsApp(std::optional<StoreAddress> store) : m_store(std::move(store)) {}
    bool OnInit() override;

private:
    std::optional<StoreAddress> m_store;
};

}  // namespace velanto
