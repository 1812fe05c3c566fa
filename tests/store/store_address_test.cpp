#include <gtest/gtest.h>

#include "store/store_address.h"

namespace velanto {
namespace {

struct AddressCase {
    const char* text;
    const char* connection;  // nullptr for a file
    const char* shown;
    bool hasPassword;
};

// What --database and the settings hold, and what a message may show of it.
TEST(StoreAddress, NamesAFileOrAServerAndShowsNoPassword) {
    const AddressCase cases[] = {
        {"records.sqlite", nullptr, "records.sqlite", false},
        {"/home/lab/Λ/records.sqlite", nullptr, "/home/lab/Λ/records.sqlite", false},
        {"odbc-notes.sqlite", nullptr, "odbc-notes.sqlite", false},
        {"odbc:DSN=records", "DSN=records", "odbc:DSN=records", false},
        {"ODBC:DSN=records;UID=lab;PWD=secret", "DSN=records;UID=lab;PWD=secret", "odbc:DSN=records;UID=lab", true},
        {"odbc:Driver={PostgreSQL Unicode};Server=db;Password=secret;Database=records",
         "Driver={PostgreSQL Unicode};Server=db;Password=secret;Database=records",
         "odbc:Driver={PostgreSQL Unicode};Server=db;Database=records", true},
        // A value in braces holds ';' and '=', and '}' doubled: none of it ends the password early.
        {"odbc:DSN=r;pwd={a;b}}=c;PWD=d};UID=lab", "DSN=r;pwd={a;b}}=c;PWD=d};UID=lab", "odbc:DSN=r;UID=lab", true},
        {"odbc: DSN = r ; Pwd = x ;", " DSN = r ; Pwd = x ;", "odbc:DSN = r", true},
        {"odbc:DSN=r;PWDX=1;OldPassword=2", "DSN=r;PWDX=1;OldPassword=2", "odbc:DSN=r;PWDX=1;OldPassword=2", false},
    };
    for (const AddressCase& c : cases) {
        const StoreAddress address = StoreAddressOf(c.text);
        ASSERT_EQ(address.OnServer(), c.connection != nullptr) << c.text;
        if (c.connection) {
            EXPECT_EQ(*address.connection, c.connection) << c.text;
        } else {
            EXPECT_EQ(address.file, std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(c.text))));
        }
        EXPECT_EQ(ShownAddressOf(address), c.shown) << c.text;
        EXPECT_EQ(HasPassword(address), c.hasPassword) << c.text;
    }
}

// The password given replaces any the string holds, and a server reads it back whole whatever it holds.
TEST(StoreAddress, APasswordGivenReplacesTheOneInTheString) {
    const struct {
        const char* text;
        const char* password;
        const char* connection;
    } cases[] = {
        {"odbc:DSN=records;UID=lab", "secret", "DSN=records;UID=lab;PWD={secret}"},
        {"odbc:DSN=records;PWD=old;UID=lab", "new", "DSN=records;UID=lab;PWD={new}"},
        {"odbc:DSN=records", "a;b}c", "DSN=records;PWD={a;b}}c}"},
        {"odbc:", "x", "PWD={x}"},
    };
    for (const auto& c : cases) {
        const StoreAddress address = WithPassword(StoreAddressOf(c.text), c.password);
        ASSERT_TRUE(address.connection) << c.text;
        EXPECT_EQ(*address.connection, c.connection);
        EXPECT_TRUE(HasPassword(address));
        EXPECT_EQ(ShownAddressOf(address), ShownAddressOf(StoreAddressOf(c.text)));
    }
    EXPECT_FALSE(WithPassword(StoreAddressOf("records.sqlite"), "x").OnServer());
}

}  // namespace
}  // namespace velanto
