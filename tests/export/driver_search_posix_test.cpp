#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "export/odbc_runtime.h"
#include "export/spreadsheet_export.h"
#include "tests/export/fake_export_ui.h"

// With the libraries and the process file system of a POSIX system.
namespace velanto {
namespace {

using ::testing::EndsWith;
using testing::FakeExportUi;
using ::testing::StartsWith;

TEST(OdbcLoader, LibraryLackingAFunctionIsToldWithPathsAndName) {
    OdbcRuntime odbc({.driverManager = "libvelanto-no-such-manager.so", .installer = "libc.so.6"});
    FakeExportUi ui;
    // The installer's box comes first; the driver manager is not tried then.
    EXPECT_EQ(FindExcelDriver(odbc, ui), "");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_THAT(ui.shown[0], StartsWith("[ODBC Installer Error] The program " +
                                        std::filesystem::read_symlink("/proc/self/exe").string() +
                                        ", or one of its DLLs attempted to call the function SQLGetInstalledDrivers "
                                        "which is not supported in the loaded ODBC installer DLL (/"));
    EXPECT_THAT(ui.shown[0], EndsWith("libc.so.6).  Press OK to proceed."));
}

}  // namespace
}  // namespace velanto
