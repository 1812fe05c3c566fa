#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/odbc_runtime.h"
#include "export/spreadsheet_export.h"
#include "tests/export/fake_driver_manager.h"
#include "tests/export/fake_export_ui.h"

namespace velanto {
namespace {

using ::testing::ElementsAre;
using testing::FakeDriverManager;
using testing::FakeExportUi;

// An installer that answers with `list` (NULs included), cut to the buffer it is given.
InstalledDriversCall Answering(const std::string& list, bool succeeds = true) {
    return [list, succeeds](char* buffer, unsigned short capacity, unsigned short* length) {
        const std::size_t size = std::min<std::size_t>(list.size(), capacity);
        std::copy_n(list.data(), size, buffer);
        *length = static_cast<unsigned short>(size);
        return succeeds;
    };
}

std::string List(std::initializer_list<std::string> names) {
    std::string list;
    for (const std::string& name : names) {
        list += name + '\0';
    }
    return list + '\0';
}

TEST(FindExcelDriver, FirstNameHoldingExcelIsReturnedWhole) {
    EXPECT_EQ(FindExcelDriver(Answering(List({"PostgreSQL Unicode", "velanto Excel Driver (*.xls)"}))),
              "velanto Excel Driver (*.xls)");
    EXPECT_EQ(FindExcelDriver(Answering(List({"Excel A", "Excel B"}))), "Excel A");
}

TEST(FindExcelDriver, NoNameHoldingExcelInThatCase) {
    EXPECT_EQ(FindExcelDriver(Answering(List({"excel driver", "EXCEL", "Text"}))), "");
    EXPECT_EQ(FindExcelDriver(Answering(List({}))), "");
    // A name after the empty one that ends the list is not in it.
    EXPECT_EQ(FindExcelDriver(Answering(List({"Text", "", "Excel"}))), "");
}

TEST(FindExcelDriver, UnreadableListGivesNoName) {
    EXPECT_EQ(FindExcelDriver(Answering(List({"Microsoft Excel Driver (*.xls)"}), false)), "");
}

TEST(FindExcelDriver, ListLongerThanTheBufferIsReadOnlyWithinIt) {
    const std::string filler(1990, 'a');
    // The second name is cut off by the buffer's end, with no NUL after it: no name.
    EXPECT_EQ(FindExcelDriver(Answering(List({filler, "velanto Excel Driver (*.xls)"}))), "");
    EXPECT_EQ(FindExcelDriver(Answering(std::string(3000, 'E'))), "");
    // A whole name that ends just inside the buffer still counts.
    EXPECT_EQ(FindExcelDriver(Answering(List({std::string(1980, 'a'), "Excel 97", "Other"}))), "Excel 97");
}

TEST(OdbcLoader, MissingDriverManagerIsToldByItsName) {
    OdbcRuntime odbc({.driverManager = "libvelanto-no-such-manager.so", .installer = SystemOdbcLibraries().installer});
    FakeExportUi ui;
    EXPECT_EQ(FindExcelDriver(odbc, ui), "");
    EXPECT_THAT(ui.shown, ElementsAre("[ODBC Installer Error] The ODBC driver manager DLL "
                                      "(libvelanto-no-such-manager.so) is not installed on this system."));
}

TEST(OdbcLoader, MissingInstallerIsToldThenNoDriverAtEverySave) {
    OdbcRuntime odbc({.driverManager = "libodbc.so.2", .installer = "libvelanto-no-such.so"});
    MemoryRecordTable list;
    list.InsertRow(0);
    FakeExportUi ui;
    ui.savePath = "/tmp/never.xls";
    const std::string missing =
        "[ODBC Installer Error] The ODBC installer DLL (libvelanto-no-such.so) is not installed on this system.";
    SaveAsSpreadsheet(list, "velanto", ui, odbc);
    SaveAsSpreadsheet(list, "velanto", ui, odbc);  // tried again
    EXPECT_THAT(ui.shown, ElementsAre(missing, "Excel is not install!", missing, "Excel is not install!"));
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST(OdbcLoader, EmptyListShowsNothingAndLoadsNothing) {
    OdbcRuntime odbc({.driverManager = "libvelanto-no-such-manager.so", .installer = "libvelanto-no-such.so"});
    MemoryRecordTable list;
    FakeExportUi ui;
    SaveAsSpreadsheet(list, "velanto", ui, odbc);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST(OdbcLoader, NoExcelDriverInstalledIsToldBeforeAnyDialog) {
    FakeDriverManager fake;
    fake.installedDrivers = List({"PostgreSQL ANSI", "excel"});
    fake.installedDrivers.pop_back();
    OdbcRuntime odbc(FakeDriverManager::Installer(), FakeDriverManager::Calls());
    MemoryRecordTable list;
    list.InsertRow(0);
    FakeExportUi ui;
    SaveAsSpreadsheet(list, "velanto", ui, odbc);
    EXPECT_THAT(ui.shown, ElementsAre("Excel is not install!"));
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_EQ(fake.environmentsMade, 0);
}

}  // namespace
}  // namespace velanto
