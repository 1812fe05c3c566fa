#pragma once

#include <wx/frame.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "store/record_store.h"
#include "store/store_address.h"
#include "store/store_error.h"

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
    // Opens with the store at `store`; made there when it is a file that is absent.
    explicit RecordsFrame(const StoreAddress& store);
    ~RecordsFrame() override;

    // Keeps the records of `files` (images, text exports, workbooks), each in a transaction of its own, and
    // tells what each one brought or why it was refused.
    void ImportFiles(const wxArrayString& files);
    // Opens the store at `address`, a file made when absent when `create` is set, or a store on a server,
    // asking for its password when it wants one; on failure, says why and keeps the store open now.
    bool OpenStore(const StoreAddress& address, bool create);

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
    void OnOpenServer();
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
    // The store at `address` (given the password the operator types, when it wants one); nothing when the
    // operator cancelled the password.
    std::unique_ptr<RecordStore> Connect(StoreAddress& address, bool create);
    // Does `work`, which reaches the store; a server that went away is not thrown but told, with the offer to
    // reconnect, while the window keeps what it shows; any other failure of the store is told in a box.
    void Guarded(const std::function<void()>& work);
    // Told by the list and the pages, which reach the store while they draw: offers to reconnect once the
    // event at hand is done, unless the loss was told already.
    void ConnectionLostWhileShowing(const StoreError& error);
    void OfferReconnect(const wxString& why);
    void Reconnect();

    std::unique_ptr<RecordStore> m_store;
    StoreAddress m_address;         // with the password given, so that reconnecting asks for none; never kept
    bool m_connectionLost = false;  // told already, and not reconnected since
    bool m_offeringReconnect = false;
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
