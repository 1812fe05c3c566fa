#include <gtest/gtest.h>
#include <wx/app.h>

#include "app/app_strings.h"
#include "app/help_book.h"
#include "tests/app/gui_test_support.h"

namespace velanto {
namespace {

TEST(HelpBook, EachDialogsContextOpensItsPage) {
    HelpBook book(VELANTO_HELP_BOOK);
    ASSERT_TRUE(book.Show(HelpContext(102), nullptr));
    EXPECT_TRUE(book.OpenedPage().EndsWith("main.html")) << book.OpenedPage();
    ASSERT_TRUE(book.Show(HelpContext(100), nullptr));
    EXPECT_TRUE(book.OpenedPage().EndsWith("about.html")) << book.OpenedPage();
}

TEST(HelpBook, AMissingBookIsNamedInAWarningBox) {
    testing::ModalRecorder recorder;
    HelpBook book("/nonexistent/velanto.htb");
    EXPECT_FALSE(book.Show(HelpContext(102), nullptr));
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].caption, wxTheApp->GetAppName().utf8_string());
    EXPECT_EQ(recorder.shown[0].message, "Can't find the help file /nonexistent/velanto.htb");
    EXPECT_TRUE(recorder.shown[0].style & wxICON_WARNING);
}

TEST(HelpBook, TheBookIsLookedForBesideTheExecutableThenUnderShare) {
    EXPECT_EQ(HelpBook::BookPathFor("/opt/velanto/bin/velanto"), "/opt/velanto/share/velanto/velanto.htb");
}

}  // namespace
}  // namespace velanto
