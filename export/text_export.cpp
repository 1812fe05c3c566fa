#include "export/text_export.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "export/export_error.h"
#include "os/file_system.h"
#include "os/path_folders.h"
#include "os/gbk_text.h"
#include "os/local_time.h"

namespace velanto {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kCellGap = "     ";
constexpr int kNameCount = 100;

// The text file being written; closed when it goes, also when a write has thrown.
class TextFile {
public:
    // Creates `name` in the current directory, whose full path is `path`.
    TextFile(const std::string& name, std::string path) : m_file(name), m_path(std::move(path)) {}

    bool IsOpen() const { return m_file.IsOpen(); }

    void Write(const std::string& bytes) { Check("write to", m_file.Write(bytes)); }

    void FlushAndClose() {
        Check("flush", m_file.Flush());
        Check("close", m_file.Close());
    }

private:
    void Check(const char* action, const FailureCause& cause) const {
        if (!cause.empty()) {
            throw FileError("Could not " + std::string(action) + " the file " + m_path + ": " + cause);
        }
    }

    NewFile m_file;
    std::string m_path;
};

std::string CandidateName(int n) {
    char name[20];
    std::snprintf(name, sizeof name, "atp%02d.txt", n);
    return name;
}

bool IsTaken(const std::string& name) { return EntryAt(name) != EntryKind::None; }

std::optional<std::string> FirstFreeName() {
    for (int n = 0; n < kNameCount; ++n) {
        if (std::string name = CandidateName(n); !IsTaken(name)) {
            return name;
        }
    }
    return std::nullopt;
}

std::string CurrentFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string(".") : folder.string();
}

}  // namespace

std::string TextTimeLine(const std::tm& localTime) {
    char line[128];
    const std::size_t length = std::strftime(line, sizeof line, "%Yyear%mmonth%dday%Hhour%Mminute%Ssecond", &localTime);
    return std::string(line, length) + kLineEnd;
}

std::string TextRowLine(const RecordTable& list, std::size_t row, std::size_t columns) {
    std::string line;
    for (std::size_t column = 0; column < columns; ++column) {
        line += ToCodePage936(list.CellText(row, column));
        line += kCellGap;
    }
    return line + kLineEnd;
}

void SaveAsText(const RecordTable& list, const std::string& folder, ExportUi& ui) {
    CreateFolderChain(folder);
    if (const FailureCause cause = folder.empty() ? "" : EnterFolder(folder); !cause.empty()) {
        throw FileError("Cannot save into the folder " + folder + ": " + cause);
    }
    const std::optional<std::string> name = FirstFreeName();
    if (!name) {
        ui.ShowMessage("atp00.txt to atp99.txt all exist in " + CurrentFolder() +
                       "; nothing was saved. Move or delete some of them, or choose another folder.");
        return;
    }
    // Created afresh or not at all: a file that appeared since the search, or a link, is never written through.
    TextFile file(*name, CurrentFolder() + "/" + *name);
    if (!file.IsOpen()) {
        ui.ShowMessage("CreateFile failed\uFF01");
        return;
    }
    file.Write(TextTimeLine(LocalTimeNow()));
    file.Write(std::string(kTextHeadingLine) + kLineEnd);
    const std::size_t columns = list.ColumnCount();
    const std::size_t rows = list.RowCount();
    for (std::size_t row = 0; row < rows; ++row) {
        file.Write(TextRowLine(list, row, columns));
    }
    file.FlushAndClose();
}

}  // namespace velanto
