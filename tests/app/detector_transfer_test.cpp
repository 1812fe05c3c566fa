// Whole transfers from the detector simulator into the main dialog, through a real
// pseudo-terminal mapped to COM1.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <wx/gauge.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/app_strings.h"
#include "app/record_list_view.h"
#include "app/upload_dlg.h"
#include "tests/app/gui_test_support.h"
#include "tests/tools/simulator_process.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ModalRecorder;
using testing::PumpEventsUntil;
using testing::SimulatorProcess;

// A private device-map folder, so the simulator's COM1 link is seen by this process only.
class DetectorTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = fs::temp_directory_path() / ("velanto-transfer-" + std::to_string(::getpid()));
        fs::create_directories(m_home);
        ::setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
    }
    void TearDown() override {
        m_simulator.reset();
        ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(m_home);
    }

    // Starts the simulator on COM1 with `options`; returns the line's path.
    std::string StartSimulator(std::vector<std::string> options) {
        std::vector<std::string> arguments{VELANTO_DETECTOR, "--com", "1"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        m_simulator = std::make_unique<SimulatorProcess>(arguments);
        return m_simulator->NextLine();
    }

    int Progress(CUploadDlg& dialog) { return dynamic_cast<wxGauge*>(dialog.FindWindow(kProgressId))->GetValue(); }

    fs::path m_home;
    std::unique_ptr<SimulatorProcess> m_simulator;
};

TEST_F(DetectorTransfer, StartFillsTheListWithTheRowsOfTheImageSent) {
    ASSERT_FALSE(StartSimulator({"--fast", "--seed", "9", "--id", "321"}).empty());
    CUploadDlg dialog(nullptr);
    RecordListView& list = dialog.RecordList();
    dialog.OnStart();
    ASSERT_TRUE(PumpEventsUntil([&] { return list.RowCount() == 2000; }, 30s)) << list.RowCount();
    MemoryRecordTable expected;
    DecodeDump(GenerateDump({2000, 321, 9}), expected);
    for (std::size_t row = 0; row < 2000; ++row) {
        for (std::size_t column = 0; column < 10; ++column) {
            ASSERT_EQ(list.CellText(row, column), expected.CellText(row, column)) << row << "," << column;
        }
    }
    EXPECT_EQ(Progress(dialog), 16448);
}

TEST_F(DetectorTransfer, AStrayByteBeforeTheRequestDoesNotShiftTheImage) {
    ASSERT_FALSE(StartSimulator({"--fast", "--records", "5", "--id", "4660"}).empty());
    CUploadDlg dialog(nullptr);
    dialog.OnPortRxChar(0xA5, 1);  // left over from an earlier, broken transfer
    dialog.OnStart();
    ASSERT_TRUE(PumpEventsUntil([&] { return dialog.RecordList().RowCount() == 5; }, 30s));
    EXPECT_EQ(dialog.RecordList().CellText(0, 0), "4660");
}

TEST_F(DetectorTransfer, ABusyPortShowsTheMessageAndChangesNoRow) {
    const std::string line = StartSimulator({"--fast"});
    ASSERT_FALSE(line.empty());
    const int holder = ::open(line.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    CUploadDlg dialog(nullptr);
    ModalRecorder recorder;
    dialog.OnStart();
    ::close(holder);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].message, kPortNotFoundText);
    PumpEventsUntil([] { return false; }, 200ms);
    EXPECT_EQ(dialog.RecordList().RowCount(), 0u);
}

TEST_F(DetectorTransfer, StartAgainMidTransferNeitherHangsNorStopsTheNextTransfer) {
    ASSERT_FALSE(StartSimulator({"--records", "7"}).empty());  // paced at 9600 baud
    CUploadDlg dialog(nullptr);
    dialog.OnStart();
    ASSERT_TRUE(PumpEventsUntil([&] { return Progress(dialog) > 20; }, 10s));
    dialog.OnStart();  // the monitor may be waiting on this very thread
    EXPECT_LT(Progress(dialog), 20);
    ASSERT_TRUE(PumpEventsUntil([&] { return Progress(dialog) > 20; }, 10s));
}

TEST_F(DetectorTransfer, ClosingMidTransferEndsPromptly) {
    ASSERT_FALSE(StartSimulator({"--fast", "--extra", "16448"}).empty());
    auto dialog = std::make_unique<CUploadDlg>(nullptr);
    dialog->OnStart();
    ASSERT_TRUE(PumpEventsUntil([&] { return Progress(*dialog) > 1000; }, 10s));
    const auto before = std::chrono::steady_clock::now();
    dialog.reset();  // the monitor is sending bytes to this thread as fast as they come
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
}

}  // namespace
}  // namespace velanto
