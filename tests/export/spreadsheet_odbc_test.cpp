// The export through unixODBC's driver manager and installer and the project's own driver,
// registered for this process only, with the driver manager's trace showing what it was sent.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "export/export_error.h"
#include "export/spreadsheet_export.h"
#include "tests/export/fake_export_ui.h"
#include "tests/scratch_folder.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::FakeExportUi;
using ::testing::HasSubstr;
using testing::ScratchFolder;

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A statement as the trace shows it: a long text is cut and ends in "...", its length is whole.
struct TracedStatement {
    std::string shown;
    std::size_t length;
};

MATCHER_P(IsTracedStatement, expected, "") {
    const std::string& shown = arg.shown;
    const bool cut = shown.ends_with("...") && expected.starts_with(shown.substr(0, shown.size() - 3));
    *result_listener << "shown as " << shown << " of length " << arg.length;
    return arg.length == expected.size() && (shown == expected || cut);
}

// The driver manager reads its configuration once per process: one folder for all tests.
class TracedOdbc {
public:
    static TracedOdbc& Instance() {
        static TracedOdbc odbc;
        return odbc;
    }
    ~TracedOdbc() {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    std::size_t TraceSize() const {
        std::error_code missing;
        const auto size = fs::file_size(m_trace, missing);
        return missing ? 0 : static_cast<std::size_t>(size);
    }
    std::string TraceSince(std::size_t offset) const { return ReadWhole(m_trace).substr(offset); }

    // The statements traced since `offset`, in the order they were executed.
    std::vector<TracedStatement> StatementsSince(std::size_t offset) const {
        std::vector<TracedStatement> statements;
        std::istringstream trace(TraceSince(offset));
        const std::string start = "SQL = [";
        const std::string end = "][length = ";
        for (std::string line; std::getline(trace, line);) {
            const std::size_t textBegin = line.find(start);
            const std::size_t textEnd = line.rfind(end);
            if (textBegin != std::string::npos && textEnd != std::string::npos) {
                statements.push_back({line.substr(textBegin + start.size(), textEnd - textBegin - start.size()),
                                      std::stoul(line.substr(textEnd + end.size()))});
            }
        }
        return statements;
    }

private:
    TracedOdbc() : m_folder(fs::temp_directory_path() / ("velanto-sheet-odbc-" + std::to_string(::getpid()))) {
        fs::create_directories(m_folder);
        m_trace = m_folder / "trace.log";
        std::ofstream(m_folder / "odbcinst.ini") << ReadWhole(fs::path(VELANTO_XLS_ODBC_DIR) / "odbcinst.ini")
                                                 << "\n[ODBC]\nTrace=Yes\nTraceFile=" << m_trace.string() << "\n";
        std::ofstream(m_folder / "odbc.ini") << "";
        ::setenv("ODBCSYSINI", m_folder.c_str(), 1);
        ::setenv("ODBCINI", (m_folder / "odbc.ini").c_str(), 1);
    }

    fs::path m_folder;
    fs::path m_trace;
};

struct Sheet {
    std::string name;
    std::vector<std::vector<std::string>> rows;
};

// The workbook as python3-xlrd reads it.
std::vector<Sheet> ReadWorkbook(const std::string& path) {
    const std::string command = "timeout 60 /usr/bin/python3 '" VELANTO_WORKBOOK_READER "' '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    std::array<char, 4096> buffer;
    for (std::size_t n; pipe && (n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;) {
        output.append(buffer.data(), n);
    }
    std::vector<Sheet> sheets;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with('\f')) {
            sheets.push_back({line.substr(1), {}});
        } else if (!sheets.empty()) {
            std::vector<std::string>& cells = sheets.back().rows.emplace_back();
            std::istringstream row(line);
            for (std::string cell; std::getline(row, cell, '\t');) {
                cells.push_back(cell);
            }
            if (line.ends_with('\t')) {
                cells.emplace_back();
            }
        }
    }
    return sheets;
}

const std::vector<std::string> kHeadings(kResultHeadings.begin(), kResultHeadings.end());

std::vector<std::string> DecodedRow(const std::string& number, const std::string& verdict) {
    return {"4660", number, "07-03-15", "09:05", "3", verdict, "1234", "100", "2000", ""};
}

class SpreadsheetOdbcTest : public ::testing::Test {
protected:
    TracedOdbc& odbc = TracedOdbc::Instance();
    ScratchFolder scratch;
    MemoryRecordTable list;
    FakeExportUi ui;
    std::size_t traceStart = odbc.TraceSize();

    void AddRow(const std::vector<std::string>& cells) {
        const std::size_t row = list.RowCount();
        list.InsertRow(row);
        for (std::size_t column = 0; column < cells.size(); ++column) {
            list.SetCellText(row, column, cells[column]);
        }
    }
    std::string Insertion(const std::vector<std::string>& cells) const {
        return RowInsertionSql("velanto", kHeadings, cells);
    }
};

TEST_F(SpreadsheetOdbcTest, ThreeRowsBecomeOneTableOfThreeRowsInOrder) {
    const std::vector<std::vector<std::string>> rows = {DecodedRow("1", "Pass"), DecodedRow("2", "Caution"),
                                                        DecodedRow("3", "Failed")};
    for (const auto& row : rows) {
        AddRow(row);
    }
    ui.savePath = scratch / "in/a/new/folder/result.xls";
    SaveAsSpreadsheet(list, "velanto", ui);

    EXPECT_THAT(ui.shown, ElementsAre("Export file save to" + *ui.savePath + "!"));
    EXPECT_THAT(
        odbc.StatementsSince(traceStart),
        ElementsAre(IsTracedStatement(TableCreationSql("velanto", kHeadings)), IsTracedStatement(Insertion(rows[0])),
                    IsTracedStatement(Insertion(rows[1])), IsTracedStatement(Insertion(rows[2]))));
    const std::vector<Sheet> sheets = ReadWorkbook(*ui.savePath);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "velanto");
    EXPECT_THAT(sheets[0].rows, ElementsAre(kHeadings, rows[0], rows[1], rows[2]));
}

TEST_F(SpreadsheetOdbcTest, ConfirmedOldFileIsReplacedAndApostrophesArriveAsTyped) {
    AddRow({"4660", "O'Neil's", "''"});
    ui.savePath = scratch / "old.xls";
    std::ofstream(*ui.savePath) << "an older export";
    SaveAsSpreadsheet(list, "velanto", ui);
    EXPECT_THAT(ui.shown, ElementsAre("Export file save to" + *ui.savePath + "!"));
    const std::vector<Sheet> sheets = ReadWorkbook(*ui.savePath);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].rows.size(), 2u);
    EXPECT_EQ(sheets[0].rows[1][1], "O'Neil's");
    EXPECT_EQ(sheets[0].rows[1][2], "''");
}

// Folders and names the connection string must carry whole, a name longer than the driver's
// temporary names once allowed, and a link to nothing: each confirmed entry is replaced by
// the whole workbook, and nothing else is left in its folder.
TEST_F(SpreadsheetOdbcTest, EveryConfirmedNameGetsTheWholeWorkbookAndNothingElse) {
    AddRow(DecodedRow("1", "Pass"));
    std::string longName;
    for (int i = 0; i < 83; ++i) {
        longName += "数";  // 249 bytes
    }
    const std::vector<std::pair<std::string, std::string>> folderAndName = {{"data;x=1", "data;x=1.xls"},
                                                                            {"a\";b ", "a\";b.xls"},
                                                                            {"{x}}", "trailing.xls "},
                                                                            {"long", longName + ".xls"},
                                                                            {"link", "dangling.xls"}};
    for (const auto& [folderName, name] : folderAndName) {
        const fs::path folder = scratch.Path() / folderName;
        fs::create_directory(folder);
        ui.savePath = (folder / name).string();
        if (name == "dangling.xls") {
            fs::create_symlink(folder / "nowhere", *ui.savePath);
        } else {
            std::ofstream(*ui.savePath) << "an older export";
        }
        SaveAsSpreadsheet(list, "velanto", ui);
        EXPECT_EQ(ui.shown.back(), "Export file save to" + *ui.savePath + "!");
        const std::vector<Sheet> sheets = ReadWorkbook(*ui.savePath);
        ASSERT_EQ(sheets.size(), 1u) << name;
        EXPECT_THAT(sheets[0].rows, ElementsAre(kHeadings, DecodedRow("1", "Pass"))) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << name;
    }
}

TEST_F(SpreadsheetOdbcTest, OldEntryThatCannotBeDeletedIsToldAndNothingConnects) {
    AddRow(DecodedRow("1", "Pass"));
    ui.savePath = scratch / "taken.xls";
    fs::create_directories(scratch / "taken.xls/inside");
    SaveAsSpreadsheet(list, "velanto", ui);
    EXPECT_THAT(ui.shown, ElementsAre("覆盖文件时出错！"));
    EXPECT_THAT(odbc.TraceSince(traceStart), ::testing::Not(HasSubstr("SQLDriverConnect")));
    EXPECT_TRUE(fs::is_directory(scratch / "taken.xls/inside"));
}

TEST_F(SpreadsheetOdbcTest, FolderThatCannotHoldTheWorkbookIsToldAndNothingConnects) {
    AddRow(DecodedRow("1", "Pass"));
    std::ofstream(scratch / "plain") << "a file where a folder would have to be";
    ui.savePath = scratch / "plain/result.xls";
    try {
        SaveAsSpreadsheet(list, "velanto", ui);
        FAIL() << "no CommandError";
    } catch (const CommandError& error) {
        EXPECT_THAT(error.what(), HasSubstr(scratch / "plain"));
    }
    ui.savePath = "/proc/result.xls";  // there, but not even root may create files in it
    try {
        SaveAsSpreadsheet(list, "velanto", ui);
        FAIL() << "no CommandError";
    } catch (const CommandError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot save into the folder /proc: it takes no new files");
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_THAT(odbc.TraceSince(traceStart), ::testing::Not(HasSubstr("SQLDriverConnect")));
}

TEST_F(SpreadsheetOdbcTest, StatementFailingAfterTwoRowsLeavesTheConfirmedFileAsItWas) {
    AddRow(DecodedRow("1", "Pass"));
    AddRow(DecodedRow("2", "Pass"));
    AddRow({"4660", "3", "\xff"});  // not UTF-8: the driver refuses the value
    ui.savePath = scratch / "old.xls";
    std::ofstream(*ui.savePath) << "an older export";
    try {
        SaveAsSpreadsheet(list, "velanto", ui);
        FAIL() << "no DatabaseError";
    } catch (const DatabaseError& error) {
        EXPECT_THAT(error.what(), HasSubstr("UTF-8"));
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(odbc.StatementsSince(traceStart).size(), 4u);
    EXPECT_THAT(odbc.TraceSince(traceStart), HasSubstr("SQLCancel"));
    EXPECT_EQ(ReadWhole(*ui.savePath), "an older export");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path()), {}), 1);
}

// A list that takes the target's folder away while it is read, so that the driver cannot
// write the workbook when the connection closes.
class FolderRemovingList final : public RecordTable {
public:
    FolderRemovingList(const RecordTable& list, fs::path folder) : m_list(list), m_folder(std::move(folder)) {}
    void InsertRow(std::size_t) override {}
    void SetCellText(std::size_t, std::size_t, std::string_view) override {}
    void RemoveAllRows() override {}
    std::size_t RowCount() const override { return m_list.RowCount(); }
    std::size_t ColumnCount() const override { return m_list.ColumnCount(); }
    std::string ColumnHeading(std::size_t column) const override { return m_list.ColumnHeading(column); }
    std::string CellText(std::size_t row, std::size_t column) const override {
        fs::remove_all(m_folder);
        return m_list.CellText(row, column);
    }

private:
    const RecordTable& m_list;
    fs::path m_folder;
};

TEST_F(SpreadsheetOdbcTest, WorkbookThatCannotBeWrittenAtTheEndIsNoSuccess) {
    AddRow(DecodedRow("1", "Pass"));
    ui.savePath = scratch / "gone/result.xls";
    const FolderRemovingList vanishing(list, scratch / "gone");
    // The driver keeps the connection whose workbook it could not write open, until the export
    // gives the workbook up: under the leak checker nothing stays behind.
    EXPECT_THROW(SaveAsSpreadsheet(vanishing, "velanto", ui), DatabaseError);
    EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace velanto
