#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <functional>

#include "app/about_box.h"
#include "app/app_strings.h"
#include "app/message_boxes.h"
#include "app/record_list_view.h"
#include "app/upload_dlg.h"
#include "tests/app/gui_test_support.h"

namespace velanto {
namespace {

using testing::ModalRecorder;

template <typename Control>
Control& Get(wxWindow& dialog, int id) {
    auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
    if (!control) {
        throw std::runtime_error("control " + std::to_string(id) + " missing or of another kind");
    }
    return *control;
}

// Runs the dialog modally, runs `script` inside its modal loop, and returns the result; a
// dialog the script failed to close is ended with -1 after ten seconds.
int RunModal(TemplateDialog& dialog, std::function<void()> script) {
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (dialog.IsModal()) {
            dialog.EndModal(-1);
        }
    });
    guard.StartOnce(10000);
    dialog.CallAfter([script = std::move(script)] { script(); });
    return dialog.ShowModal();
}

// The keyboard focus reaches a newly shown dialog only once the display has made it active.
bool WaitForFocusIn(wxWindow& window) {
    return testing::PumpEventsUntil([&] { return IsWithin(wxWindow::FindFocus(), &window); }, std::chrono::seconds(5));
}

void SendKey(wxWindow& target, int keyCode) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = keyCode;
    key.SetEventObject(&target);
    target.ProcessWindowEvent(key);
}

TEST(MainDialog, StartsWithTheListsSelectedTenHeadingsNoRowAndEmptyProgress) {
    CUploadDlg dialog(nullptr);
    auto& ports = Get<wxChoice>(dialog, kPortComboId);
    ASSERT_EQ(ports.GetCount(), 4u);
    EXPECT_EQ(ports.GetString(0), "COM1");
    EXPECT_EQ(ports.GetString(3), "COM4");
    EXPECT_EQ(ports.GetSelection(), 0);
    auto& formats = Get<wxChoice>(dialog, kFormatComboId);
    ASSERT_EQ(formats.GetCount(), 2u);
    EXPECT_EQ(formats.GetString(0), "Excel[.xls]");
    EXPECT_EQ(formats.GetString(1), "Notepad[.txt]");
    EXPECT_EQ(formats.GetSelection(), 1);
    RecordListView& list = dialog.RecordList();
    ASSERT_EQ(list.ColumnCount(), 10u);
    for (std::size_t column = 0; column < 10; ++column) {
        EXPECT_EQ(list.ColumnHeading(column), kResultHeadings[column]);
        wxListItem item;
        item.SetMask(wxLIST_MASK_FORMAT | wxLIST_MASK_WIDTH);
        list.GetColumn(static_cast<int>(column), item);
        EXPECT_EQ(item.GetAlign(), wxLIST_FORMAT_CENTRE);
        EXPECT_EQ(item.GetWidth(), 70);
    }
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(list.GetItemCount(), 0);
    auto& progress = Get<wxGauge>(dialog, kProgressId);
    EXPECT_EQ(progress.GetRange(), 16448);
    EXPECT_EQ(progress.GetValue(), 0);
    EXPECT_EQ(dialog.GetTitle(), "Data updating program for the reault of ATP fluorescence detector ");
}

// The dialogs' font as the tests run it: AR PL UMing CN at 9 points on a 96-dpi display, whose
// dialog units are 6/4 pixels across and 13/8 pixels down. Each edge is rounded on its own.
constexpr const char* kTestFontFace = "AR PL UMing CN";

// The main dialog's controls in pixels, in template order.
const wxRect kMainDialogPixels[] = {
    {339, 585, 75, 23}, {113, 470, 357, 81}, {224, 585, 75, 23},  {113, 510, 357, 69}, {452, 585, 75, 23},
    {11, 36, 529, 261}, {11, 551, 529, 21},  {11, 309, 529, 140}, {36, 332, 416, 32},  {36, 364, 416, 33},
    {36, 397, 479, 34}, {11, 449, 529, 100}, {36, 470, 69, 21},   {27, 510, 80, 23},   {11, 11, 529, 298},
};

TEST(MainDialog, ControlsFollowTheTemplateInOrderTextAndGeometry) {
    CUploadDlg dialog(nullptr);
    ASSERT_EQ(dialog.GetFont().GetFaceName(), kTestFontFace);
    const wxWindowList& children = dialog.GetChildren();
    const auto& controls = kMainDialogTemplate.controls;
    ASSERT_EQ(children.size(), controls.size());
    ASSERT_EQ(std::size(kMainDialogPixels), controls.size());
    auto child = children.begin();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& control = controls[i];
        wxWindow* window = *child++;
        SCOPED_TRACE(control.text);
        if (control.id != kStaticId) {
            EXPECT_EQ(window->GetId(), control.id);
        }
        if (control.kind == ControlKind::PushButton || control.kind == ControlKind::GroupBox ||
            control.kind == ControlKind::StaticText) {
            wxString label = window->GetLabel();
            label.Replace("\n", " ");  // long instructions are wrapped to the control's width
            EXPECT_EQ(label.utf8_string(), control.text);
        }
        const wxRect& expected = kMainDialogPixels[i];
        const wxRect actual = window->GetRect();
        EXPECT_EQ(actual.GetPosition(), expected.GetPosition());
        EXPECT_EQ(actual.width, expected.width);
        if (control.kind != ControlKind::DropDownList) {  // its template height includes the opened list
            EXPECT_EQ(actual.height, expected.height);
        }
    }
    EXPECT_EQ(dialog.GetClientSize(), wxSize(551, 619));
}

TEST(MainDialog, TheThirdInstructionCarriesTheFullWidthComma) {
    const ControlTemplate& third = kMainDialogTemplate.controls[10];
    EXPECT_STREQ(third.text,
                 "[3]Select storage format\xEF\xBC\x8C"
                 "click the Save button to save data");
}

TEST(MainDialog, EnterOnTheFocusedCancelButtonClosesWithCancel) {
    CUploadDlg dialog(nullptr);
    const int result = RunModal(dialog, [&] {
        if (!WaitForFocusIn(*dialog.FindWindow(kCancelId))) {
            ADD_FAILURE() << "the focus did not start on Cancel";
            dialog.EndModal(-1);
            return;
        }
        SendKey(*wxWindow::FindFocus(), WXK_RETURN);
    });
    EXPECT_EQ(result, kCancelId);
}

TEST(MainDialog, EnterInTheListOrAClosedDropDownEndsWithOkAndEscapeWithCancel) {
    for (const int focusId : {kRecordListId, kPortComboId, kFormatComboId}) {
        CUploadDlg dialog(nullptr);
        const int result = RunModal(dialog, [&] {
            dialog.FindWindow(focusId)->SetFocus();
            if (!WaitForFocusIn(*dialog.FindWindow(focusId))) {
                ADD_FAILURE() << "control " << focusId << " did not take the focus";
                dialog.EndModal(-1);
                return;
            }
            SendKey(*wxWindow::FindFocus(), WXK_RETURN);
        });
        EXPECT_EQ(result, kOkId) << focusId;
    }
    CUploadDlg dialog(nullptr);
    EXPECT_EQ(RunModal(dialog, [&] { SendKey(dialog, WXK_ESCAPE); }), kCancelId);
}

TEST(MainDialog, CancelAndTheCloseBoxEndWithTwo) {
    CUploadDlg dialog(nullptr);
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           wxCommandEvent click(wxEVT_BUTTON, kCancelId);
                           dialog.FindWindow(kCancelId)->ProcessWindowEvent(click);
                       }),
              kCancelId);
    EXPECT_EQ(RunModal(dialog, [&] { dialog.Close(); }), kCancelId);
}

TEST(MainDialog, CommandsSixteenToThirtyOneOpenTheAboutBox) {
    CUploadDlg dialog(nullptr);
    ModalRecorder recorder;
    for (int id = 16; id <= 31; ++id) {
        EXPECT_TRUE(dialog.OnSystemCommand(id)) << id;
    }
    EXPECT_FALSE(dialog.OnSystemCommand(15));
    EXPECT_FALSE(dialog.OnSystemCommand(32));
    ASSERT_EQ(recorder.shown.size(), 16u);
    EXPECT_EQ(recorder.shown.front().caption, "About velanto");
    EXPECT_EQ(recorder.shown.front().parent, &dialog);
}

TEST(MainDialog, TheAboutItemOfTheMenuReachesTheAboutBox) {
    CUploadDlg dialog(nullptr);
    ModalRecorder recorder;
    wxCommandEvent choose(wxEVT_MENU, kAboutCommand);
    dialog.ProcessWindowEvent(choose);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].caption, "About velanto");
}

TEST(AboutBox, ShowsTheIconTheVersionAndAnOkButton) {
    CAboutBox about(nullptr);
    EXPECT_EQ(about.GetTitle(), "About velanto");
    EXPECT_EQ(Get<wxButton>(about, kOkId).GetLabel(), "OK");
    const wxWindowList& children = about.GetChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[1]->GetLabel(), "velanto 1.0");
    EXPECT_EQ(about.GetClientSize(), wxSize(353, 89));  // with the font of the main dialog's test
}

TEST(AboutBox, EnterOnOkEndsWithOneAndEscapeWithTwo) {
    CAboutBox about(nullptr);
    EXPECT_EQ(RunModal(about,
                       [&] {
                           ASSERT_TRUE(WaitForFocusIn(*about.FindWindow(kOkId)));
                           SendKey(*wxWindow::FindFocus(), WXK_RETURN);
                       }),
              kOkId);
    EXPECT_EQ(RunModal(about, [&] { SendKey(about, WXK_ESCAPE); }), kCancelId);
}

TEST(MessageBoxes, WarningsCarryTheApplicationsNameAndPortErrorsTheirOwnTitle) {
    ModalRecorder recorder;
    ShowWarningBox(nullptr, "text");
    ShowSystemErrorBox("WARNING:  GetCommState() Failed");
    ASSERT_EQ(recorder.shown.size(), 2u);
    EXPECT_EQ(recorder.shown[0].caption, "velanto");
    EXPECT_TRUE(recorder.shown[0].style & wxICON_WARNING);
    EXPECT_EQ(recorder.shown[1].caption, "Application Error");
    EXPECT_EQ(recorder.shown[1].message, "WARNING:  GetCommState() Failed");
    EXPECT_TRUE(recorder.shown[1].style & wxICON_ERROR);
}

TEST(Help, FOneAsksForTheHelpContextOfTheDialogWithTheFocus) {
    std::vector<int> contexts;
    auto record = [&](wxHelpEvent& event) { contexts.push_back(event.GetId()); };
    wxTheApp->Bind(wxEVT_HELP, record);
    {
        CUploadDlg dialog(nullptr);
        SendKey(dialog, WXK_F1);
        CAboutBox about(&dialog);
        SendKey(about, WXK_F1);
    }
    wxTheApp->Unbind(wxEVT_HELP, record);
    EXPECT_EQ(contexts, (std::vector<int>{0x20066, 0x20064}));
}

TEST(RecordList, SetUpOnAListWithRowsAndOtherColumnsLeavesTheTenColumnsAndNoRow) {
    CUploadDlg dialog(nullptr);
    RecordListView& list = dialog.RecordList();
    list.InsertColumn(10, "extra");
    list.InsertColumn(0, "first");
    list.InsertRow(0);
    list.InsertRow(1);
    list.SetUpResultColumns();
    EXPECT_EQ(list.ColumnCount(), 10u);
    EXPECT_EQ(list.ColumnHeading(0), "0ID");
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(list.GetItemCount(), 0);
}

}  // namespace
}  // namespace velanto
