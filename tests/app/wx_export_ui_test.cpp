#include <gtest/gtest.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/frame.h>

#include "app/wx_export_ui.h"
#include "tests/app/gui_test_support.h"

namespace velanto {
namespace {

using testing::ModalRecorder;

TEST(WxExportUi, TheSaveDialogShowsTheRequestAndACancelGivesNothing) {
    wxFrame owner(nullptr, wxID_ANY, "owner");
    WxExportUi ui(owner);
    ModalRecorder recorder;
    recorder.answer = wxID_CANCEL;
    wxString title, name, wildcard;
    long style = 0;
    int filter = -1;
    recorder.onShown = [&](wxDialog* dialog) {
        auto* files = dynamic_cast<wxFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        title = files->GetMessage();
        name = files->GetFilename();
        wildcard = files->GetWildcard();
        filter = files->GetFilterIndex();
        style = files->GetWindowStyle();
    };
    const SaveFileRequest request{"Export",
                                  "20070315090500.xls",
                                  "xls",
                                  {{"Excel\xE6\x96\x87\xE4\xBB\xB6(*.xls)", "*.xls"}, {"all (*.*)", "*.*"}}};
    EXPECT_EQ(ui.AskSavePath(request), std::nullopt);
    EXPECT_EQ(title, "Export");
    EXPECT_EQ(name, "20070315090500.xls");
    EXPECT_EQ(wildcard, wxString::FromUTF8("Excel\xE6\x96\x87\xE4\xBB\xB6(*.xls)|*.xls|all (*.*)|*.*"));
    EXPECT_EQ(filter, 0);
    EXPECT_TRUE(style & wxFD_OVERWRITE_PROMPT);
}

TEST(WxExportUi, ACancelledFolderChooserGivesNothing) {
    wxFrame owner(nullptr, wxID_ANY, "owner");
    WxExportUi ui(owner);
    ModalRecorder recorder;
    recorder.answer = wxID_CANCEL;
    wxString title;
    recorder.onShown = [&](wxDialog* dialog) {
        auto* folders = dynamic_cast<wxDirDialog*>(dialog);
        ASSERT_NE(folders, nullptr);
        title = folders->GetMessage();
    };
    EXPECT_EQ(ui.ChooseFolder("Please choose the folder you want to save the data"), std::nullopt);
    EXPECT_EQ(title, "Please choose the folder you want to save the data");
}

}  // namespace
}  // namespace velanto
