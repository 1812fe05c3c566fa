#include <gtest/gtest.h>
#include <wx/frame.h>

#include <memory>

#include "records_ui/record_list.h"
#include "records_ui/result_pages.h"
#include "records_ui/summary_page.h"
#include "records_ui/trend_panel.h"
#include "store/record_store.h"
#include "tests/scratch_folder.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

// A store of one generated download of `records` results, under twelve programs.
class Stored : public ::testing::Test {
protected:
    explicit Stored(std::size_t records = 2000) {
        const DetectorDump image = GenerateDump({records, 321, 5});
        MemoryRecordTable rows;
        DecodeDump(image, rows);
        store.Import({"COM1", "1.0", image}, rows);
        frame->SetClientSize(900, 600);
        frame->Show();
    }
    ~Stored() override { frame->Hide(); }

    testing::ScratchFolder folder;
    RecordStore store{folder / "records.sqlite"};
    std::unique_ptr<wxFrame> frame = std::make_unique<wxFrame>(nullptr, wxID_ANY, "pages");
};

TEST_F(Stored, TheTrendShowsTheChosenProgramsResultsAndAsksForOneWithoutIt) {
    auto* pages = new ResultPages(frame.get(), [](std::int64_t) {});
    pages->SetSize(frame->GetClientSize());
    RecordFilter filter;
    filter.program = 3;
    pages->Follow(&store, filter);
    EXPECT_EQ(pages->Trend().Scene().results, store.Select(filter).keys.size());
    pages->Follow(&store, RecordFilter{});
    EXPECT_TRUE(pages->Trend().Scene().markers.empty());
}

TEST_F(Stored, TheSummaryFollowsThePeriodButNotTheProgramOrVerdict) {
    auto* pages = new ResultPages(frame.get(), [](std::int64_t) {});
    pages->SetSize(frame->GetClientSize());
    pages->SetSelection(ResultPages::kSummaryPage);
    RecordFilter filter;
    filter.program = 3;
    filter.verdict = "Failed";
    pages->Follow(&store, filter);
    ASSERT_EQ(pages->Summary().Shown().size(), store.Programs().size());
    std::size_t tests = 0;
    for (const ProgramSummary& summary : pages->Summary().Shown()) {
        tests += summary.tests;
    }
    EXPECT_EQ(tests, store.RecordCount());

    filter.to = store.RecordsOf(std::vector<std::int64_t>{store.Select({}).keys.at(99)}).at(0).record.date;
    pages->Follow(&store, filter);
    tests = 0;
    for (const ProgramSummary& summary : pages->Summary().Shown()) {
        tests += summary.tests;
    }
    RecordFilter period;
    period.to = filter.to;
    EXPECT_EQ(tests, store.Select(period).keys.size());
}

TEST_F(Stored, AKeyIsSelectedAloneAndShownEvenBeyondTheKeysReadSoFar) {
    auto* list = new RecordList(frame.get());
    list->SetSize(frame->GetClientSize());
    const std::vector<std::int64_t> keys = store.Select({}).keys;
    list->Show(&store, store.OpenSelection({}), [] {});
    ASSERT_TRUE(list->IsReading()) << "the list reads its first keys only, at first";
    list->SetItemState(3, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);

    ASSERT_TRUE(list->SelectKey(keys.at(1800)));
    EXPECT_EQ(list->GetSelectedItemCount(), 1);
    EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 1800);
    EXPECT_FALSE(list->SelectKey(-1));
}

}  // namespace
}  // namespace velanto
