#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/export_ui.h"

namespace velanto::testing {

// Records what an export shows and asks; its save dialog answers with `savePath`.
class FakeExportUi final : public ExportUi {
public:
    std::optional<std::string> savePath;
    std::vector<std::string> shown;  // every box in order; information boxes as "[title] text"
    std::vector<SaveFileRequest> saveRequests;

    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    void ShowInformation(const std::string& title, const std::string& text) override {
        shown.push_back("[" + title + "] " + text);
    }
    std::optional<std::string> AskSavePath(const SaveFileRequest& request) override {
        saveRequests.push_back(request);
        return savePath;
    }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
};

}  // namespace velanto::testing
