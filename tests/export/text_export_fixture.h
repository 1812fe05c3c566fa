#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "dump/record_table.h"
#include "tests/export/fake_export_ui.h"
#include "tests/scratch_folder.h"

namespace velanto::testing {

inline const std::string kHeading =
    "identifier   Detect number   Date   Hour   Program number   Result   RLU   Lower limit   Upper limit   remark\r\n";

// Each text export test works in a folder of its own and leaves the current directory as it found it.
class TextExport : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::current_path(m_previous); }

    void Touch(const char* name) { std::ofstream(m_folder / name) << "kept"; }

    static MemoryRecordTable OneRow() {
        MemoryRecordTable list;
        list.InsertRow(0);
        const char* cells[] = {"4660", "1", "2007/03/15", "09:05", "3", "Pass", "144", "100", "500"};
        for (std::size_t column = 0; column < 9; ++column) {
            list.SetCellText(0, column, cells[column]);
        }
        return list;
    }

    const std::filesystem::path m_previous = std::filesystem::current_path();
    const ScratchFolder m_scratch;
    const std::filesystem::path m_folder = m_scratch.Path();
    FakeExportUi m_ui;
};

}  // namespace velanto::testing
