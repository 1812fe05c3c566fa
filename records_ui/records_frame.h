#pragma once

#include <wx/frame.h>

#include <filesystem>
#include <memory>

#include "store/record_store.h"

class wxChoice;
class wxMenuBar;
class wxSplitterWindow;

namespace velanto {

class FilterBar;
class ProgramList;
class RecordList;
class ResultPages;

// velanto records' window: the programs beside the records they hold, narrowed by period, detector and
// result, and the commands that bring records in (import, download) and take them out (CSV).
class RecordsFrame : public wxFrame {
public:
    // Opens with the store at `store`; made there when it is absent.
    explicit RecordsFrame(const std::filesystem::path& store);
    ~RecordsFrame() override;

    // Keeps the records of `files` (images, text exports, workbooks), each in a transaction of its own, and
    // tells what each one brought or why it was refused.
    void ImportFiles(const wxArrayString& files);
    // Opens the store at `file`, made when absent when `create` is set; on failure, says why and keeps the
    // store open now.
    bool OpenStore(const std::filesystem::path& file, bool create);

private:
    void MakeMenus();
    void MakeToolBar();
    void MakeLayout();
    void ShowRecords();
    void ShowStore();
    void ShowTally();
    RecordFilter CurrentFilter() const;

    void OnNewStore();
    void OnOpenStore();
    void OnImport();
    void OnExport();
    void OnDownload();
    void OnNameProgram();
    void OnReport();
    void OnLabTitle();
    void OnCopy();
    void OnClicked(std::int64_t key);
    void OnLogarithmic(wxCommandEvent& event);
    void MakeViewMenus(wxMenuBar& bar);
    void OnAbout();
    void OnQuit() { Close(); }
    void OnClose(wxCloseEvent& event);
    bool CanImport() const { return m_store && !m_store->ImportRefusal(); }
    // Says why nothing can be kept when the store refuses imports, and then returns true.
    bool ImportRefused();

    std::unique_ptr<RecordStore> m_store;
    std::filesystem::path m_storePath;
    std::size_t m_total = 0;  // records in the store
    wxSplitterWindow* m_splitter = nullptr;
    wxSplitterWindow* m_resultSplitter = nullptr;  // the pages above the records
    ResultPages* m_pages = nullptr;
    ProgramList* m_programs = nullptr;
    FilterBar* m_filters = nullptr;
    RecordList* m_records = nullptr;
    wxChoice* m_port = nullptr;
};

}  // namespace velanto
