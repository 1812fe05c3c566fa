#include <gtest/gtest.h>
#include <wx/fileconf.h>

#include <memory>
#include <string>

#include "records_ui/last_store.h"
#include "records_ui/server_dialog.h"
#include "os/utf8_path.h"
#include "tests/scratch_folder.h"

namespace velanto {
namespace {

// The settings in a file of the test's own, as the window keeps them.
class Settings : public ::testing::Test {
protected:
    std::unique_ptr<wxFileConfig> Open() const {
        return std::make_unique<wxFileConfig>("velanto-records", "", wxString::FromUTF8(Utf8Of(file)), "",
                                              wxCONFIG_USE_LOCAL_FILE);
    }

    testing::ScratchFolder folder;
    std::filesystem::path file = folder / "records.conf";
};

TEST_F(Settings, AServerStoreIsRememberedWithoutItsPassword) {
    const StoreAddress server = WithPassword(StoreAddressOf("odbc:DSN=records;UID=lab"), "s3cret;PWD");
    RememberStore(*Open(), server);

    EXPECT_EQ(testing::ReadFile(file).find("s3cret"), std::string::npos) << testing::ReadFile(file);
    const std::unique_ptr<wxFileConfig> settings = Open();
    const std::optional<StoreAddress> last = LastStore(*settings);
    ASSERT_TRUE(last && last->OnServer());
    EXPECT_FALSE(HasPassword(*last));
    EXPECT_NE(last->connection->find("DSN=records"), std::string::npos);
    EXPECT_NE(last->connection->find("UID=lab"), std::string::npos);
    EXPECT_EQ(LastServer(*settings), wxString::FromUTF8(ShownAddressOf(server)));
}

TEST_F(Settings, AFileOpenedAfterAServerIsTheLastStoreAndTheServerStaysOffered) {
    RememberStore(*Open(), StoreAddressOf("odbc:DSN=records"));
    const std::filesystem::path store = folder / "Läbor" / "records.sqlite";
    RememberStore(*Open(), store);

    const std::unique_ptr<wxFileConfig> settings = Open();
    const std::optional<StoreAddress> last = LastStore(*settings);
    ASSERT_TRUE(last);
    EXPECT_FALSE(last->OnServer());
    EXPECT_EQ(last->file, store);
    EXPECT_TRUE(LastServer(*settings).Contains("DSN=records"));
}

TEST_F(Settings, NoStoreRememberedIsNone) { EXPECT_FALSE(LastStore(*Open())); }

TEST(ServerAddress, TheDialogTakesADataSourceOrAConnectionString) {
    const struct {
        const char* typed;
        const char* connection;
    } cases[] = {
        {"records", "DSN=records"},
        {"  records  ", "DSN=records"},
        {"odbc:DSN=records;UID=lab", "DSN=records;UID=lab"},
        {"Driver={PostgreSQL Unicode};Server=lab;Database=records",
         "Driver={PostgreSQL Unicode};Server=lab;Database=records"},
    };
    for (const auto& [typed, connection] : cases) {
        const StoreAddress address = ServerAddressOf(typed);
        ASSERT_TRUE(address.OnServer()) << typed;
        EXPECT_EQ(*address.connection, connection) << typed;
    }
}

}  // namespace
}  // namespace velanto
