// Whole transfers from the detector simulator into the main dialog, through a real
// pseudo-terminal mapped to COM1.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <wx/choice.h>
#include <wx/gauge.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/app_strings.h"
#include "app/transfer_messages.h"
#include "app/record_list_view.h"
#include "app/upload_dlg.h"
#include "tests/app/gui_test_support.h"
#include "tests/scratch_folder.h"
#include "tests/tools/simulator_process.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ModalRecorder;
using testing::PrivateDeviceMap;
using testing::PumpEventsUntil;
using testing::SimulatorProcess;

// A private device map, so the simulator's COM1 link is seen by this process only.
class DetectorTransfer : public ::testing::Test {
protected:
    // Starts the simulator on COM1 with `options`; returns the line's path.
    std::string StartSimulator(std::vector<std::string> options) {
        std::vector<std::string> arguments{VELANTO_DETECTOR, "--com", "1"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        m_simulator = std::make_unique<SimulatorProcess>(arguments);
        return m_simulator->NextLine();
    }

    int Progress(CUploadDlg& dialog) { return dynamic_cast<wxGauge*>(dialog.FindWindow(kProgressId))->GetValue(); }

    PrivateDeviceMap m_deviceMap;
    std::unique_ptr<SimulatorProcess> m_simulator;  // ends before its link's folder goes
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
    dialog.OnPortRxChar(0xA5);  // left over from an earlier, broken transfer
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

TEST_F(DetectorTransfer, StartAgainMidTransferShowsExactlyTheNextAnswer) {
    ASSERT_FALSE(StartSimulator({"--fast", "--records", "7", "--id", "4660"}).empty());
    CUploadDlg dialog(nullptr);
    dialog.OnStart();
    ASSERT_TRUE(PumpEventsUntil([&] { return Progress(dialog) > 20; }, 10s));
    dialog.OnStart();  // the monitor may be waiting on this very thread
    ASSERT_TRUE(PumpEventsUntil([&] { return dialog.RecordList().RowCount() == 7; }, 30s));
    EXPECT_EQ(dialog.RecordList().CellText(6, 0), "4660");
    EXPECT_EQ(dialog.RecordList().CellText(6, 1), "7");
}

TEST_F(DetectorTransfer, AnAbsentPortShowsTheMessageAndChangesNoRow) {
    m_deviceMap.MapPort(1, "/nonexistent/velanto-no-such-device");
    CUploadDlg dialog(nullptr);
    ModalRecorder recorder;
    dialog.OnStart();
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].message, kPortNotFoundText);
    EXPECT_EQ(recorder.shown[0].caption, "velanto");
    EXPECT_TRUE(recorder.shown[0].style & wxICON_WARNING);
    EXPECT_EQ(Progress(dialog), 0);
    PumpEventsUntil([] { return false; }, 200ms);
    EXPECT_EQ(recorder.shown.size(), 1u);  // nothing is waited for on a port that did not open
}

TEST_F(DetectorTransfer, ARefusedPermissionNamesThePortItsDeviceAndTheFix) {
    m_deviceMap.MapPort(1, "/dev/velanto-adapter");
    const std::string text = PortOpenFailureText(1, PortOpenFailure::PermissionRefused);
    for (const char* part : {"no permission to open COM1 (/dev/velanto-adapter)", "sudo adduser $USER dialout",
                             "log out and log in again"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(PortOpenFailureText(1, PortOpenFailure::Unavailable), kPortNotFoundText);
}

// An answer that is not the detector's whole memory is told to the operator, never shown silently.
struct FaultyAnswer {
    const char* name;
    std::vector<std::string> options;
    int reply;            // the operator's answer to the box
    const char* boxSays;  // part of its text
    bool listReplaced;
    bool namesThePort;  // the box names COM1 and its device
};

class FaultyAnswers : public DetectorTransfer, public ::testing::WithParamInterface<FaultyAnswer> {};

TEST_P(FaultyAnswers, AreToldAndShownOnlyWhenTheOperatorSaysYes) {
    const FaultyAnswer& fault = GetParam();
    std::vector<std::string> options{"--fast", "--records", "5"};
    options.insert(options.end(), fault.options.begin(), fault.options.end());
    ASSERT_FALSE(StartSimulator(options).empty());
    CUploadDlg dialog(nullptr);
    ModalRecorder recorder;
    recorder.answer = fault.reply;
    dialog.OnStart();
    // The port list stays usable while velanto waits; what it shows since is not the port of this transfer.
    dynamic_cast<wxChoice*>(dialog.FindWindow(kPortComboId))->SetSelection(1);
    ASSERT_TRUE(PumpEventsUntil([&] { return !recorder.shown.empty(); }, 15s));
    PumpEventsUntil([] { return false; }, 300ms);
    ASSERT_EQ(recorder.shown.size(), 1u) << recorder.shown.back().message;
    EXPECT_NE(recorder.shown[0].message.find(fault.boxSays), std::string::npos) << recorder.shown[0].message;
    EXPECT_EQ(recorder.shown[0].caption, "velanto");
    EXPECT_EQ(dialog.RecordList().RowCount(), fault.listReplaced ? 5u : 0u);
    EXPECT_EQ(recorder.shown[0].message.find("COM1 (") != std::string::npos, fault.namesThePort)
        << recorder.shown[0].message;
}

INSTANTIATE_TEST_SUITE_P(
    Detector, FaultyAnswers,
    ::testing::Values(
        FaultyAnswer{
            "StrayBytesAnsweredNo", {"--noise", "10"}, wxID_NO, "16458 bytes long instead of 16448", false, false},
        FaultyAnswer{"ExtraBytesAnsweredYes", {"--extra", "3"}, wxID_YES, "16451 bytes long", true, false},
        FaultyAnswer{"NoAnswer", {"--ignore-request"}, wxID_OK, "did not answer on COM1 (", false, true},
        FaultyAnswer{"AShortAnswer", {"--truncate", "8000"}, wxID_OK, "stopped after 8000 of 16448 bytes", false, true},
        FaultyAnswer{"ALineNeverQuiet", {"--chatter", "20"}, wxID_OK, "keeps sending without a pause", false, true}),
    [](const ::testing::TestParamInfo<FaultyAnswer>& info) { return std::string(info.param.name); });

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
