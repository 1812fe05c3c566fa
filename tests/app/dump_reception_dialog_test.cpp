#include <gtest/gtest.h>
#include <wx/gauge.h>

#include <cstdlib>
#include <filesystem>

#include "app/app_strings.h"
#include "app/port_open_failure_text.h"
#include "app/record_list_view.h"
#include "app/upload_dlg.h"
#include "tests/app/gui_test_support.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using testing::ModalRecorder;

class DumpReceptionDialog : public ::testing::Test {
protected:
    void Feed(const DetectorDump& image, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            dialog.OnPortRxChar(image[i], 1);
        }
    }
    int Progress() { return dynamic_cast<wxGauge*>(dialog.FindWindow(kProgressId))->GetValue(); }

    CUploadDlg dialog{nullptr};
    RecordListView& list = dialog.RecordList();
    const DetectorDump first = GenerateDump({2000, 4660, 1});
    const DetectorDump second = GenerateDump({3, 77, 2});
};

TEST_F(DumpReceptionDialog, TheLastByteOfAnImageShowsItsRecordsAndFillsTheProgressBar) {
    Feed(first, 0, kDumpSize - 1);
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(Progress(), 16447);
    Feed(first, kDumpSize - 1, kDumpSize);
    EXPECT_EQ(Progress(), 16448);
    ASSERT_EQ(list.RowCount(), 2000u);
    MemoryRecordTable expected;
    DecodeDump(first, expected);
    for (std::size_t row : {0u, 999u, 1999u}) {
        for (std::size_t column = 0; column < 10; ++column) {
            EXPECT_EQ(list.CellText(row, column), expected.CellText(row, column));
            EXPECT_EQ(list.GetItemText(static_cast<long>(row), static_cast<int>(column)).utf8_string(),
                      expected.CellText(row, column));
        }
    }
    EXPECT_EQ(list.GetItemCount(), 2000);
}

TEST_F(DumpReceptionDialog, BytesAfterAnImageBeginTheNextAndOnlyTheLatestImageIsShown) {
    Feed(first, 0, kDumpSize);
    Feed(second, 0, 5);  // 16453 bytes in one stream: five held for the next image
    EXPECT_EQ(list.RowCount(), 2000u);
    EXPECT_EQ(Progress(), 5);
    Feed(second, 5, kDumpSize);
    ASSERT_EQ(list.RowCount(), 3u);
    EXPECT_EQ(list.CellText(2, 0), "77");
}

TEST_F(DumpReceptionDialog, OnlyTheLowByteOfTheFirstParameterIsStored) {
    DetectorDump image = second;
    for (std::size_t i = 0; i < kDumpSize; ++i) {
        dialog.OnPortRxChar(0x300 | image[i], 42);
    }
    ASSERT_EQ(list.RowCount(), 3u);
    EXPECT_EQ(list.CellText(0, 0), "77");
}

// Maps COM1 to a path through the device-map folder of a private configuration home.
class MappedPort {
public:
    explicit MappedPort(const fs::path& target) {
        m_home = fs::temp_directory_path() / ("velanto-dialog-" + std::to_string(::getpid()));
        fs::create_directories(m_home / "velanto" / "dosdevices");
        fs::create_symlink(target, m_home / "velanto" / "dosdevices" / "com1");
        if (const char* previous = std::getenv("XDG_CONFIG_HOME")) {
            m_previous = previous;
        }
        ::setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
    }
    ~MappedPort() {
        m_previous.empty() ? ::unsetenv("XDG_CONFIG_HOME") : ::setenv("XDG_CONFIG_HOME", m_previous.c_str(), 1);
        fs::remove_all(m_home);
    }

private:
    fs::path m_home;
    std::string m_previous;
};

TEST_F(DumpReceptionDialog, AnAbsentPortShowsTheMessageAndChangesNoRow) {
    Feed(first, 0, kDumpSize);
    Feed(second, 0, 100);
    MappedPort port("/nonexistent/velanto-no-such-device");
    ModalRecorder recorder;
    dialog.OnStart();
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].message, kPortNotFoundText);
    EXPECT_EQ(recorder.shown[0].caption, "velanto");
    EXPECT_TRUE(recorder.shown[0].style & wxICON_WARNING);
    EXPECT_EQ(list.RowCount(), 2000u);
    EXPECT_EQ(Progress(), 0);
    // The partial image is kept: the rest of it completes it.
    Feed(second, 100, kDumpSize);
    EXPECT_EQ(list.RowCount(), 3u);
}

TEST(PortOpenFailureText, ARefusedPermissionNamesThePortItsDeviceAndTheFixOthersKeepTheOneText) {
    MappedPort port("/dev/velanto-adapter");
    const std::string text = PortOpenFailureText(1, PortOpenFailure::PermissionRefused);
    for (const char* part : {"no permission to open COM1 (/dev/velanto-adapter)", "sudo adduser $USER dialout",
                             "log out and log in again"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(PortOpenFailureText(1, PortOpenFailure::Unavailable), kPortNotFoundText);
}

}  // namespace
}  // namespace velanto
