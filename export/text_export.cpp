#include "export/text_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "descriptor/unique_descriptor.h"
#include "export/export_error.h"
#include "export/local_time.h"
#include "export/gbk_text.h"

namespace velanto {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kCellGap = "     ";
constexpr int kNameCount = 100;

// The text file being written; closed when it goes, also when a write has thrown.
class TextFile {
public:
    TextFile(int descriptor, std::string path) : m_descriptor(descriptor), m_path(std::move(path)) {}

    void Write(const std::string& bytes) {
        if (!WriteAll(m_descriptor.Get(), bytes.data(), bytes.size())) {
            Fail("write to", errno);
        }
    }

    void FlushAndClose() {
        if (::fsync(m_descriptor.Get()) != 0 && errno != EINVAL) {
            Fail("flush", errno);
        }
        if (m_descriptor.Close() != 0) {
            Fail("close", errno);
        }
    }

private:
    [[noreturn]] void Fail(const char* action, int cause) const {
        throw FileError("Could not " + std::string(action) + " the file " + m_path + ": " + std::strerror(cause));
    }

    UniqueDescriptor m_descriptor;
    std::string m_path;
};

std::string CandidateName(int n) {
    char name[20];
    std::snprintf(name, sizeof name, "atp%02d.txt", n);
    return name;
}

bool IsTaken(const std::string& name) {
    struct stat status {};
    return ::lstat(name.c_str(), &status) == 0;  // any object, a dangling link included
}

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

void CreateFolderChain(const std::string& folder) {
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (folder[i] == '/') {
            ::mkdir(folder.substr(0, i + 1).c_str(), 0777);
        }
    }
    if (!folder.empty()) {
        ::mkdir(folder.c_str(), 0777);
    }
}

void SaveAsText(const RecordTable& list, const std::string& folder, ExportUi& ui) {
    CreateFolderChain(folder);
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
        throw FileError("Cannot save into the folder " + folder + ": " + std::strerror(errno));
    }
    const std::optional<std::string> name = FirstFreeName();
    if (!name) {
        ui.ShowMessage("atp00.txt to atp99.txt all exist in " + CurrentFolder() +
                       "; nothing was saved. Move or delete some of them, or choose another folder.");
        return;
    }
    // Created afresh or not at all: a file that appeared since the search, or a link, is never written through.
    const int descriptor = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        ui.ShowMessage("CreateFile failed\uFF01");
        return;
    }
    TextFile file(descriptor, CurrentFolder() + "/" + *name);
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
