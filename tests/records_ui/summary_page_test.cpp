#include <gtest/gtest.h>
#include <wx/clipbrd.h>
#include <wx/frame.h>

#include <memory>
#include <vector>

#include "records_ui/report_command.h"
#include "records_ui/summary_page.h"

namespace velanto {
namespace {

ProgramSummary Summary(std::int64_t program, const char* name, std::size_t tests, std::optional<double> suggested) {
    ProgramSummary summary;
    summary.program = program;
    summary.name = name;
    summary.tests = tests;
    summary.suggestedUpper = suggested;
    return summary;
}

std::vector<std::int64_t> ProgramsOf(const std::vector<ProgramSummary>& summaries) {
    std::vector<std::int64_t> programs;
    for (const ProgramSummary& summary : summaries) {
        programs.push_back(summary.program);
    }
    return programs;
}

enum Column { kProgram = 0, kName = 1, kTests = 2, kSuggested = 9 };

TEST(SummaryPageTest, AColumnClickedSortsByItAndClickedAgainTheOtherWay) {
    struct Case {
        std::vector<int> clicks;
        std::vector<std::int64_t> programs;
    };
    const Case cases[] = {
        {{}, {1, 2, 3, 4}},           {{kTests}, {3, 1, 4, 2}},        {{kTests, kTests}, {2, 4, 1, 3}},
        {{kName}, {4, 2, 1, 3}},      {{kTests, kName}, {4, 2, 1, 3}},  // another column: ascending again
        {{kSuggested}, {2, 3, 1, 4}},                                   // none first; equal figures in program order
        {{kProgram}, {4, 3, 2, 1}},                                     // shown by program already: the other way
    };
    for (const Case& test : cases) {
        wxFrame frame(nullptr, wxID_ANY, "summary");
        auto* page = new SummaryPage(&frame);
        page->ShowSummaries({Summary(1, "floor", 20, 90.0), Summary(2, "blade", 50, std::nullopt),
                             Summary(3, "tray", 10, std::nullopt), Summary(4, "apron", 40, 120.0)});
        for (const int column : test.clicks) {
            page->SortBy(column);
        }
        EXPECT_EQ(ProgramsOf(page->Shown()), test.programs) << "after " << test.clicks.size() << " clicks";
    }
}

TEST(SummaryPageTest, NewFiguresKeepTheOrderChosen) {
    wxFrame frame(nullptr, wxID_ANY, "summary");
    auto* page = new SummaryPage(&frame);
    page->ShowSummaries({Summary(1, "a", 5, {}), Summary(2, "b", 7, {})});
    page->SortBy(kTests);
    page->SortBy(kTests);
    page->ShowSummaries({Summary(1, "a", 9, {}), Summary(2, "b", 7, {}), Summary(3, "c", 8, {})});
    EXPECT_EQ(ProgramsOf(page->Shown()), (std::vector<std::int64_t>{1, 3, 2}));
    auto* list = dynamic_cast<wxListCtrl*>(wxWindow::FindWindowByName("summary", &frame));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(1, kProgram), "3");
}

TEST(SummaryPageTest, CopiesTheFiguresInTheOrderShown) {
    wxFrame frame(nullptr, wxID_ANY, "summary");
    auto* page = new SummaryPage(&frame);
    page->ShowSummaries({Summary(1, "a", 5, {}), Summary(2, "b", 7, {})});
    page->SortBy(kTests);
    page->SortBy(kTests);
    page->CopyToClipboard();
    wxTextDataObject copied;
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->GetData(copied);
    wxTheClipboard->Close();
    EXPECT_EQ(copied.GetText().utf8_string(), TabSeparatedOf(page->Shown()));
    EXPECT_LT(copied.GetText().find("\n2\t"), copied.GetText().find("\n1\t")) << copied.GetText();
}

TEST(ReportFileNameTest, NamesThePeriodWhenBothEndsAreKnown) {
    EXPECT_EQ(ReportFileName("2026-01-01", "2026-03-31"), "report 2026-01-01 to 2026-03-31.html");
    EXPECT_EQ(ReportFileName("2026-01-01", std::nullopt), "report.html");
    EXPECT_EQ(ReportFileName(std::nullopt, "2026-03-31"), "report.html");
}

}  // namespace
}  // namespace velanto
