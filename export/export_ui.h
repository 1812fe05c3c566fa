#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velanto {

// The save-file dialog an export asks for a target path.
struct SaveFileRequest {
    std::string title;
    std::string proposedName;
    std::string defaultExtension;                              // without the dot, e.g. "xls"
    std::vector<std::pair<std::string, std::string>> filters;  // (description, pattern); the first is selected
};

// What the exports need of the user interface; the main dialog provides it. All texts are UTF-8.
class ExportUi {
public:
    virtual ~ExportUi() = default;

    // The program's message box: the application's name as caption, one OK button.
    virtual void ShowMessage(const std::string& text) = 0;

    // A box with the given title and an information icon (the ODBC loader's own messages).
    virtual void ShowInformation(const std::string& title, const std::string& text) = 0;

    // The save-file dialog, which itself asks before an existing file is chosen. The full
    // path chosen, with the default extension added when the name has none; nothing on cancel.
    virtual std::optional<std::string> AskSavePath(const SaveFileRequest& request) = 0;

    // The folder chooser with its editable path field. The folder chosen; nothing on cancel,
    // or when the choice has no path in the file system.
    virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
};

}  // namespace velanto
