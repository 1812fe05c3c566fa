#include <gtest/gtest.h>

#include "app/app_strings.h"
#include "app/help_book.h"

namespace velanto {
namespace {

TEST(HelpBook, EachDialogsContextOpensItsPage) {
    HelpBook book(VELANTO_HELP_BOOK);
    ASSERT_TRUE(book.Show(HelpContext(102)));
    EXPECT_TRUE(book.OpenedPage().EndsWith("main.html")) << book.OpenedPage();
    ASSERT_TRUE(book.Show(HelpContext(100)));
    EXPECT_TRUE(book.OpenedPage().EndsWith("about.html")) << book.OpenedPage();
}

TEST(HelpBook, AMissingBookShowsNothing) {
    HelpBook book("/nonexistent/velanto.htb");
    EXPECT_FALSE(book.Show(HelpContext(102)));
}

TEST(HelpBook, TheBookIsLookedForBesideTheExecutableThenUnderShare) {
    EXPECT_EQ(HelpBook::BookPathFor("/opt/velanto/bin/velanto"), "/opt/velanto/share/velanto/velanto.htb");
}

}  // namespace
}  // namespace velanto
