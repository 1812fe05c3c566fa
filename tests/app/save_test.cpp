#include <gtest/gtest.h>
#include <wx/choice.h>

#include <cstdlib>
#include <deque>
#include <filesystem>

#include "app/record_list_view.h"
#include "app/upload_dlg.h"
#include "export/export_error.h"
#include "tests/app/gui_test_support.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using testing::ModalRecorder;

// Answers the exports' questions from a script and records what they say.
class ScriptedExportUi final : public ExportUi {
public:
    std::deque<std::optional<std::string>> folders;  // nullopt: the operator cancels
    std::vector<std::string> messages;
    int folderQuestions = 0;
    bool failInChooser = false;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowInformation(const std::string&, const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> AskSavePath(const SaveFileRequest&) override { return std::nullopt; }
    std::optional<std::string> ChooseFolder(const std::string&) override {
        ++folderQuestions;
        if (failInChooser) {
            throw FileError("Could not write to the file /x/atp00.txt: No space left on device");
        }
        auto answer = folders.empty() ? std::nullopt : folders.front();
        if (!folders.empty()) {
            folders.pop_front();
        }
        return answer;
    }
};

class Save : public ::testing::Test {
protected:
    void SetUp() override {
        s_browsePath.clear();  // each test begins as a new run: no folder chosen yet
        m_previous = fs::current_path();
        m_root = fs::temp_directory_path() / ("velanto-save-" + std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "start");
        fs::current_path(m_root / "start");
        list.InsertRow(0);
        list.SetCellText(0, 0, "4660");
    }
    void TearDown() override {
        fs::current_path(m_previous);
        fs::remove_all(m_root);
    }
    void PressSave() {
        wxCommandEvent click(wxEVT_BUTTON, kSaveButtonId);
        dialog.FindWindow(kSaveButtonId)->ProcessWindowEvent(click);
    }
    void SelectFormat(int index) { dynamic_cast<wxChoice*>(dialog.FindWindow(kFormatComboId))->SetSelection(index); }

    fs::path m_previous;
    fs::path m_root;
    ScriptedExportUi ui;
    CUploadDlg dialog{nullptr, &ui};
    RecordListView& list = dialog.RecordList();
};

TEST_F(Save, TheFolderChooserKeepsTheLastChoiceAcrossCancelsAndRecreatesIt) {
    const fs::path chosen = m_root / "lab" / "atp";
    ui.folders = {std::nullopt, chosen.string(), std::nullopt, std::nullopt};

    PressSave();  // cancelled on the first export of the run: the current directory
    EXPECT_TRUE(fs::exists(m_root / "start" / "atp00.txt"));
    EXPECT_TRUE(dialog.ExportFolder().empty());

    PressSave();  // a folder that does not exist yet is created with its parents
    EXPECT_TRUE(fs::exists(chosen / "atp00.txt"));
    EXPECT_EQ(dialog.ExportFolder(), chosen.string());

    PressSave();  // cancelled later: the folder chosen last
    EXPECT_TRUE(fs::exists(chosen / "atp01.txt"));

    fs::remove_all(m_root / "lab");
    PressSave();  // deleted since: made again
    EXPECT_TRUE(fs::exists(chosen / "atp00.txt"));
    EXPECT_TRUE(ui.messages.empty());

    CUploadDlg another(nullptr, &ui);  // the run's choice holds for every dialog
    another.ChooseSaveFolder();
    EXPECT_EQ(another.ExportFolder(), chosen.string());
}

TEST_F(Save, TheSpreadsheetFormatReachesItsExport) {
    ::setenv("ODBCSYSINI", m_root.c_str(), 1);  // an ODBC configuration with no driver at all
    ::setenv("ODBCINSTINI", "odbcinst.ini", 1);
    SelectFormat(0);
    PressSave();
    EXPECT_EQ(ui.folderQuestions, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Excel is not install!");
    ::unsetenv("ODBCSYSINI");
    ::unsetenv("ODBCINSTINI");
}

TEST_F(Save, AnErrorThatEndsTheCommandIsShownInAStopBoxAndTheDialogGoesOn) {
    ModalRecorder recorder;
    ui.failInChooser = true;
    PressSave();
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].message, "Could not write to the file /x/atp00.txt: No space left on device");
    EXPECT_EQ(recorder.shown[0].caption, "velanto");
    EXPECT_TRUE(recorder.shown[0].style & wxICON_ERROR);
    ui.failInChooser = false;
    ui.folders = {(m_root / "again").string()};
    PressSave();
    EXPECT_TRUE(fs::exists(m_root / "again" / "atp00.txt"));
}

}  // namespace
}  // namespace velanto
