#include "xlsdriver/connection_string.h"

#include <gtest/gtest.h>

#include "xlsdriver/driver_error.h"

namespace velanto {
namespace {

// The connection string the export sends, with a path holding spaces.
constexpr const char* kExportString =
    "DRIVER={velanto Excel Driver (*.xls)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;"
    "CREATE_DB=\"/home/op/my data/20070315090500.xls\";DBQ=/home/op/my data/20070315090500.xls";

TEST(ConnectionString, TheExportsStringGivesItsOptions) {
    const ConnectionAttributes attributes = ParseConnectionString(kExportString);
    EXPECT_EQ(attributes.at("DRIVER"), "velanto Excel Driver (*.xls)");
    const ConnectionOptions options = ReadConnectionOptions(attributes);
    EXPECT_EQ(options.dsn, "");
    EXPECT_EQ(options.createPath, "/home/op/my data/20070315090500.xls");
    EXPECT_EQ(options.workbookPath, "/home/op/my data/20070315090500.xls");
    EXPECT_TRUE(options.firstRowHasNames);
    EXPECT_FALSE(options.readOnly);
}

TEST(ConnectionString, ValueFormsKeywordsAndRepeats) {
    const ConnectionAttributes attributes =
        ParseConnectionString(" dbq = {a;b=} ; Create_Db=\"x;y\" ;;other=thing;DBQ=second; readonly = yes ;");
    EXPECT_EQ(attributes.at("DBQ"), "a;b=") << "braces keep everything, the first DBQ wins";
    EXPECT_EQ(ParseConnectionString("DBQ={ a}}b; }").at("DBQ"), " a}b; ") << "spaces and a doubled }";
    EXPECT_EQ(attributes.at("CREATE_DB"), "x;y");
    EXPECT_EQ(attributes.at("OTHER"), "thing");
    const ConnectionOptions options = ReadConnectionOptions(attributes);
    EXPECT_TRUE(options.readOnly);
    EXPECT_TRUE(options.firstRowHasNames);
    EXPECT_FALSE(ReadConnectionOptions(ParseConnectionString("FIRSTROWHASNAMES=0")).firstRowHasNames);
    EXPECT_TRUE(ParseConnectionString("").empty());
}

TEST(ConnectionString, MalformedStringsNameThePlace) {
    const auto message = [](const char* text) {
        try {
            ReadConnectionOptions(ParseConnectionString(text));
        } catch (const DriverError& error) {
            EXPECT_EQ(error.Sqlstate(), "08001");
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(message("DBQ={a.xls").find("character 5: no closing }"), std::string::npos) << message("DBQ={a.xls");
    EXPECT_NE(message("DBQ=\"a.xls\"x;").find("character 12"), std::string::npos) << message("DBQ=\"a.xls\"x;");
    EXPECT_NE(message("DBQ=a;junk;").find("character 7"), std::string::npos);
    EXPECT_NE(message("=a").find("keyword"), std::string::npos);
    EXPECT_NE(message("READONLY=maybe").find("READONLY=maybe"), std::string::npos);
    EXPECT_NE(message("DBQ={a}}.xls").find("character 5: no closing }"), std::string::npos);
}

TEST(ConnectionString, NulCharacterIsRefusedNotCut) {
    try {
        ParseConnectionString(std::string_view("DBQ=/d/a.xls\0.old", 17));
        ADD_FAILURE() << "a NUL was accepted";
    } catch (const DriverError& error) {
        EXPECT_EQ(error.Sqlstate(), "HY090");
        EXPECT_NE(std::string(error.what()).find("character 13"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace velanto
