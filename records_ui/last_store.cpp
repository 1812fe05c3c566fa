#include "records_ui/last_store.h"

namespace velanto {
namespace {

constexpr const char* kStoreKey = "/Store/Path";
constexpr const char* kServerKey = "/Store/LastServer";

}  // namespace

void RememberStore(wxConfigBase& settings, const StoreAddress& address) {
    const wxString shown = wxString::FromUTF8(ShownAddressOf(address));
    settings.Write(kStoreKey, shown);
    if (address.OnServer()) {
        settings.Write(kServerKey, shown);
    }
    settings.Flush();
}

std::optional<StoreAddress> LastStore(wxConfigBase& settings) {
    wxString last;
    if (!settings.Read(kStoreKey, &last) || last.empty()) {
        return std::nullopt;
    }
    return StoreAddressOf(last.utf8_string());
}

wxString LastServer(wxConfigBase& settings) { return settings.Read(kServerKey, ""); }

}  // namespace velanto
