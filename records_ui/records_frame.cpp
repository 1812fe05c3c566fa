#include "records_ui/records_frame.h"

#include <wx/aboutdlg.h>
#include <wx/artprov.h>
#include <wx/choice.h>
#include <wx/config.h>
#include <wx/datetime.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/persist/toplevel.h>
#include <wx/progdlg.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/textdlg.h>
#include <wx/toolbar.h>

#include <algorithm>

#include "os/path_folders.h"
#include "os/whole_file.h"
#include "records/detector_download.h"
#include "records_ui/resources/velanto_records_16.xpm"
#include "records_ui/resources/velanto_records_32.xpm"
#include "records_ui/resources/velanto_records_48.xpm"
#include "records/file_import.h"
#include "records_ui/download_with_progress.h"
#include "records_ui/filter_bar.h"
#include "records_ui/last_store.h"
#include "records_ui/path_text.h"
#include "records_ui/program_list.h"
#include "records_ui/record_list.h"
#include "records_ui/report_command.h"
#include "records_ui/result_pages.h"
#include "records_ui/server_dialog.h"
#include "records_ui/summary_page.h"
#include "records_ui/trend_panel.h"
#include "store/csv_export.h"

namespace velanto {
namespace {

enum CommandId {
    kImport = wxID_HIGHEST + 1,
    kOpenServer,
    kExport,
    kNameProgram,
    kDownload,
    kReport,
    kLabTitle,
    kZoomBack,
    kWholePeriod,
    kLogarithmic,
    kGoToPrograms,
    kGoToRecords
};

constexpr const char* kStoreWildcard = "Records databases (*.sqlite)|*.sqlite|All files|*";
constexpr const char* kImportWildcard =
    "Detector results (*.txt;*.xls;*.bin;*.dump)|*.txt;*.xls;*.bin;*.dump|All files|*";
constexpr const char* kSashKey = "/Window/ProgramsWidth";
constexpr const char* kResultSashKey = "/Window/PagesHeight";
constexpr const char* kLogarithmicKey = "/Chart/Logarithmic";
constexpr const char* kPortKey = "/Download/Port";
constexpr int kPorts = 4;  // COM1 to COM4, as velanto offers

// Files dropped on the window are imported.
class ImportDropTarget : public wxFileDropTarget {
public:
    explicit ImportDropTarget(RecordsFrame& frame) : m_frame(frame) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
        // After the drop has ended: the import may show dialogs, which the drag must not wait for.
        m_frame.CallAfter([frame = &m_frame, files] { frame->ImportFiles(files); });
        return true;
    }

private:
    RecordsFrame& m_frame;
};

wxBitmapBundle ToolImage(const wxArtID& id) {
    const wxBitmapBundle image = wxArtProvider::GetBitmapBundle(id, wxART_TOOLBAR);
    if (image.IsOk()) {
        return image;
    }
    // Not every system's art has every picture; the tool's label says what it does.
    wxImage blank(24, 24);
    blank.InitAlpha();
    std::fill_n(blank.GetAlpha(), 24 * 24, 0);
    return wxBitmapBundle(wxBitmap(blank));
}

bool IsConnectionLost(const StoreError& error) { return error.Why() == StoreError::Cause::ConnectionLost; }

// The same loss, with what it cost said after the server's own words.
StoreError LostWith(const StoreError& error, const wxString& cost) {
    return StoreError(error.what() + ("\n\n" + cost).utf8_string(), 0, StoreError::Cause::ConnectionLost);
}

// Runs `change` on the store: true when it was done. A lost connection goes on to the command's guard, which
// offers to reconnect, with `notKept`; any other refusal is said in a box, with `notKept` too.
template <typename Change>
bool TryOnStore(wxWindow* parent, const wxString& notKept, Change&& change) {
    try {
        change();
        return true;
    } catch (const StoreError& error) {
        if (IsConnectionLost(error)) {
            throw LostWith(error, notKept);
        }
        wxMessageBox(wxString::FromUTF8(error.what()) + "\n\n" + notKept, "velanto records", wxOK | wxICON_ERROR,
                     parent);
        return false;
    }
}

wxIconBundle RecordsIcons() {
    wxIconBundle icons;
    for (const char* const* picture : {velanto_records_16, velanto_records_32, velanto_records_48}) {
        icons.AddIcon(wxIcon(picture));
    }
    return icons;
}

}  // namespace

RecordsFrame::RecordsFrame(const StoreAddress& store)
    : wxFrame(nullptr, wxID_ANY, "velanto records", wxDefaultPosition, wxSize(1180, 720)) {
    SetName("RecordsFrame");
    SetIcons(RecordsIcons());
    MakeMenus();
    MakeToolBar();
    MakeLayout();
    CreateStatusBar(3);
    const int widths[] = {-2, -3, -4};
    SetStatusWidths(3, widths);
    SetDropTarget(new ImportDropTarget(*this));
    // Ctrl+I is also the Tab character, which the lists take to move the focus before the menu sees it.
    const auto importKey = [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == 'I' && event.GetModifiers() == wxMOD_CONTROL) {
            ProcessCommand(kImport);
        } else {
            event.Skip();
        }
    };
    Bind(wxEVT_CHAR_HOOK, importKey);
    Bind(wxEVT_CLOSE_WINDOW, &RecordsFrame::OnClose, this);
    if (!wxPersistentRegisterAndRestore(this)) {
        Centre();
    }
    OpenStore(store, true);
}

RecordsFrame::~RecordsFrame() = default;

void RecordsFrame::MakeMenus() {
    auto* file = new wxMenu;
    file->Append(wxID_NEW, "&New Store...\tCtrl+N", "Make an empty records database");
    file->Append(wxID_OPEN, "&Open Store...\tCtrl+O", "Open another records database");
    file->Append(kOpenServer, "Open &Database Server...\tCtrl+Shift+O",
                 "Open the store that several computers share on a database server");
    file->AppendSeparator();
    file->Append(kImport, "&Import Files...\tCtrl+I", "Keep the records of images, text exports and workbooks");
    file->Append(kExport, "&Export CSV...\tCtrl+E", "Save the records shown as CSV");
    file->Append(kReport, "&Report...\tCtrl+R", "Save the period's summary, trends and failures as a printable page");
    file->AppendSeparator();
    file->Append(wxID_EXIT, "&Quit\tCtrl+Q");
    auto* records = new wxMenu;
    records->Append(kDownload, "&Download from Detector\tCtrl+D",
                    "Download the detector's memory and keep its new "
                    "records");
    records->AppendSeparator();
    records->Append(kNameProgram, "&Name Program...\tF2", "Give the chosen program a name");
    records->Append(kLabTitle, "&Lab Title...", "The title reports carry");
    records->Append(wxID_REFRESH, "&Refresh\tF5", "Read the store again");
    auto* help = new wxMenu;
    help->Append(wxID_ABOUT, "&About velanto records");
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    MakeViewMenus(*bar);
    bar->Append(records, "&Records");
    bar->Append(help, "&Help");
    SetMenuBar(bar);

    const std::pair<int, void (RecordsFrame::*)()> commands[] = {
        {wxID_NEW, &RecordsFrame::OnNewStore},      {wxID_OPEN, &RecordsFrame::OnOpenStore},
        {kOpenServer, &RecordsFrame::OnOpenServer}, {kImport, &RecordsFrame::OnImport},
        {kExport, &RecordsFrame::OnExport},         {wxID_EXIT, &RecordsFrame::OnQuit},
        {kDownload, &RecordsFrame::OnDownload},     {kNameProgram, &RecordsFrame::OnNameProgram},
        {wxID_REFRESH, &RecordsFrame::ShowStore},   {wxID_ABOUT, &RecordsFrame::OnAbout},
        {kReport, &RecordsFrame::OnReport},         {kLabTitle, &RecordsFrame::OnLabTitle},
        {wxID_COPY, &RecordsFrame::OnCopy}};
    for (const auto& [id, command] : commands) {
        // Every command that reaches the store: a server that went away is told in one place.
        const auto run = [this, command = command](wxCommandEvent&) {
            Guarded([this, command] { (this->*command)(); });
        };
        Bind(wxEVT_MENU, run, id);
    }
    // Import and Download stay offered in a read-only store, to say why they cannot be done.
    const auto offerWithStore = [this](wxUpdateUIEvent& event) { event.Enable(m_store != nullptr); };
    for (const int command : {kImport, kExport, kDownload, kReport, kLabTitle}) {
        Bind(wxEVT_UPDATE_UI, offerWithStore, command);
    }
    const auto offerWhenWritable = [this](wxUpdateUIEvent& event) { event.Enable(CanImport()); };
    Bind(wxEVT_UPDATE_UI, offerWhenWritable, kNameProgram);
}

void RecordsFrame::MakeToolBar() {
    wxToolBar* tools = CreateToolBar(wxTB_HORIZONTAL | wxTB_TEXT);
    m_port = new wxChoice(tools, wxID_ANY);
    for (int port = 1; port <= kPorts; ++port) {
        m_port->Append(wxString::Format("COM%d", port));
    }
    m_port->SetSelection(std::clamp(static_cast<int>(wxConfigBase::Get()->ReadLong(kPortKey, 1)), 1, kPorts) - 1);
    m_port->SetToolTip("The serial port the detector is on");
    tools->AddControl(m_port, "Port");
    tools->AddTool(kDownload, "Download", ToolImage(wxART_GO_DOWN), "Download from the detector (Ctrl+D)");
    tools->AddSeparator();
    tools->AddTool(kImport, "Import", ToolImage(wxART_FILE_OPEN), "Import files (Ctrl+I)");
    tools->AddTool(kExport, "Export", ToolImage(wxART_FILE_SAVE_AS), "Export the records shown as CSV (Ctrl+E)");
    tools->AddTool(kReport, "Report", ToolImage(wxART_PRINT), "Save and show the period's report (Ctrl+R)");
    tools->Realize();
}

void RecordsFrame::MakeLayout() {
    m_splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_LIVE_UPDATE);
    m_programs = new ProgramList(m_splitter);
    auto* right = new wxPanel(m_splitter);
    m_filters = new FilterBar(right, [this] { ShowRecords(); });
    m_resultSplitter = new wxSplitterWindow(right, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_LIVE_UPDATE);
    m_pages = new ResultPages(m_resultSplitter, [this](std::int64_t key) { OnClicked(key); });
    m_pages->Trend().SetLogarithmic(wxConfigBase::Get()->ReadBool(kLogarithmicKey, false));
    m_records = new RecordList(m_resultSplitter);
    const auto lost = [this](const StoreError& error) { ConnectionLostWhileShowing(error); };
    m_records->WhenConnectionLost(lost);
    m_pages->WhenConnectionLost(lost);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_filters, wxSizerFlags().Expand().Border(wxTOP | wxBOTTOM));
    column->Add(m_resultSplitter, wxSizerFlags(1).Expand());
    right->SetSizer(column);
    m_resultSplitter->SetMinimumPaneSize(FromDIP(80));
    m_resultSplitter->SplitHorizontally(m_pages, m_records,
                                        wxConfigBase::Get()->ReadLong(kResultSashKey, FromDIP(320)));
    m_splitter->SetMinimumPaneSize(FromDIP(120));
    m_splitter->SplitVertically(m_programs, right, wxConfigBase::Get()->ReadLong(kSashKey, FromDIP(330)));
    m_programs->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { ShowRecords(); });
    // The first choice is a program: its records, its trend. Once the window is up, which would otherwise
    // give the focus to a control of its own choosing.
    CallAfter([this] { m_programs->SetFocus(); });
}

std::unique_ptr<RecordStore> RecordsFrame::Connect(StoreAddress& address, bool create) {
    if (!address.OnServer()) {
        if (!create && !std::filesystem::exists(address.file)) {
            throw StoreError(Utf8Of(address.file) + ": there is no database here");
        }
        CreateFolderChain(FolderOf(Utf8Of(address.file)));
        return std::make_unique<RecordStore>(address);
    }
    wxBusyCursor busy;
    for (;;) {
        try {
            return std::make_unique<RecordStore>(address);
        } catch (const StoreError& error) {
            if (error.Why() != StoreError::Cause::PasswordNeeded) {
                throw;
            }
            // Asked again until the server takes it: a mistyped password is common.
            wxPasswordEntryDialog ask(this,
                                      wxString::FromUTF8(error.what()) + "\n\nPassword for " +
                                          wxString::FromUTF8(ShownAddressOf(address)) + ":",
                                      "Password for the store");
            if (ask.ShowModal() != wxID_OK) {
                return nullptr;
            }
            address = WithPassword(address, ask.GetValue().utf8_string());
        }
    }
}

bool RecordsFrame::OpenStore(const StoreAddress& address, bool create) {
    StoreAddress opened = address;
    try {
        std::unique_ptr<RecordStore> store = Connect(opened, create);
        if (!store) {
            return false;
        }
        m_records->StopReading();
        m_store = std::move(store);
        m_address = std::move(opened);
        m_connectionLost = false;
    } catch (const std::exception& error) {
        wxMessageBox(wxString::FromUTF8(error.what()), "velanto records", wxOK | wxICON_ERROR, this);
        return false;
    }
    RememberStore(*wxConfigBase::Get(), m_address);
    m_filters->Clear();
    ShowStore();
    return true;
}

void RecordsFrame::Guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const StoreError& error) {
        if (IsConnectionLost(error)) {
            OfferReconnect(wxString::FromUTF8(error.what()));
        } else {  // said rather than thrown through the toolkit, which would end the program
            wxMessageBox(wxString::FromUTF8(error.what()), "velanto records", wxOK | wxICON_ERROR, this);
        }
    }
}

void RecordsFrame::ConnectionLostWhileShowing(const StoreError& error) {
    if (m_connectionLost) {
        return;  // told already; the next command tries the server again
    }
    m_connectionLost = true;
    // Not inside the list's drawing, which a modal box must not interrupt.
    CallAfter([this, why = wxString::FromUTF8(error.what())] { OfferReconnect(why); });
}

void RecordsFrame::OfferReconnect(const wxString& why) {
    if (m_offeringReconnect) {
        return;
    }
    m_connectionLost = true;
    m_offeringReconnect = true;
    m_records->StopReading();
    wxMessageDialog box(this,
                        "The connection to the store on the server was lost. The window keeps what it "
                        "shows; reconnect to read the store again.",
                        "Connection to the server lost", wxYES_NO | wxYES_DEFAULT | wxICON_WARNING);
    box.SetExtendedMessage(why);
    box.SetYesNoLabels("&Reconnect", "&Not Now");
    const bool reconnect = box.ShowModal() == wxID_YES;
    m_offeringReconnect = false;
    if (reconnect) {
        Reconnect();
    }
}

// The same store again, as the filters chose it: only the connection was new.
void RecordsFrame::Reconnect() {
    StoreAddress address = m_address;
    std::unique_ptr<RecordStore> store;
    try {
        store = Connect(address, false);
    } catch (const StoreError& error) {
        wxMessageBox("The store could not be reached again: " + wxString::FromUTF8(error.what()) +
                         "\n\nRefresh (F5) tries once more.",
                     "velanto records", wxOK | wxICON_ERROR, this);
        return;
    }
    if (!store) {
        return;
    }
    m_records->StopReading();
    m_store = std::move(store);
    m_address = std::move(address);
    m_connectionLost = false;
    Guarded([this] { ShowStore(); });
}

void RecordsFrame::ShowStore() {
    if (!m_store) {
        return;
    }
    m_pages->StoreChanged();
    ShowRecords();
    // After the first rows are on screen: counting every program's records reads the whole store.
    const auto countPrograms = [this] {
        const std::vector<ProgramTally> programs = m_store->Programs();
        std::vector<std::int64_t> detectors = m_store->Detectors();
        m_total = 0;
        for (const ProgramTally& program : programs) {
            m_total += program.records;
        }
        m_programs->Show(programs);
        m_filters->OfferDetectors(std::move(detectors));
        ShowTally();
    };
    // Told at most once with the rows' own loss: the command that lost them has offered to reconnect already.
    const auto countWhileShowing = [this, countPrograms] {
        try {
            countPrograms();
        } catch (const StoreError& error) {
            if (!IsConnectionLost(error)) {
                throw;
            }
            ConnectionLostWhileShowing(error);
        }
    };
    CallAfter(countWhileShowing);
    const std::optional<std::string> refusal = m_store->ImportRefusal();
    const wxString shown = wxString::FromUTF8(ShownAddressOf(m_address));
    SetStatusText(refusal ? "Read only: " + wxString::FromUTF8(*refusal) : shown, 2);
    const wxString name = m_address.OnServer() ? shown : TextOf(m_address.file.filename());
    SetTitle(name + (refusal ? " (read only)" : "") + " - velanto records");
}

RecordFilter RecordsFrame::CurrentFilter() const {
    RecordFilter filter = m_filters->Filter();
    filter.program = m_programs->Chosen();
    return filter;
}

void RecordsFrame::ShowRecords() {
    if (!m_store) {
        return;
    }
    // A server gone away leaves the rows shown as they were: the list is given no new ones.
    const auto showRows = [this] {
        m_records->Show(m_store.get(), m_store->OpenSelection(CurrentFilter()), [this] { ShowTally(); });
    };
    Guarded(showRows);
    ShowTally();
    m_pages->Follow(m_store.get(), CurrentFilter());
}

void RecordsFrame::ShowTally() {
    const RecordSelection& selection = m_records->Selection();
    if (m_records->IsReading()) {
        SetStatusText(wxString::Format("%zu records so far...", selection.keys.size()), 0);
        SetStatusText("", 1);
        return;
    }
    SetStatusText(wxString::Format("%zu records of %zu", selection.keys.size(), m_total), 0);
    wxString tally = wxString::Format("Pass %zu, Caution %zu, Failed %zu",
                                      selection.keys.size() - selection.caution - selection.failed, selection.caution,
                                      selection.failed);
    if (selection.notCalendar > 0) {
        tally += wxString::Format("; %zu without a valid date or time", selection.notCalendar);
    }
    SetStatusText(tally, 1);
}

// Import and Download stay offered in a store that may not be written: pressed, they say why nothing can be
// kept, where a greyed-out command would leave the operator guessing.
bool RecordsFrame::ImportRefused() {
    if (CanImport()) {
        return false;
    }
    wxMessageBox(m_store ? "Nothing can be imported: " + wxString::FromUTF8(*m_store->ImportRefusal())
                         : wxString("No store is open."),
                 "velanto records", wxOK | wxICON_WARNING, this);
    return true;
}

void RecordsFrame::ImportFiles(const wxArrayString& files) {
    if (ImportRefused()) {
        return;
    }
    m_records->StopReading();
    wxProgressDialog progress("Importing", "", static_cast<int>(files.size()), this,
                              wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_CAN_ABORT);
    wxString report;
    std::size_t refused = 0;
    for (std::size_t at = 0; at < files.size(); ++at) {
        if (!progress.Update(static_cast<int>(at), files[at])) {
            report += "Stopped before " + files[at] + "\n";
            break;
        }
        try {
            const ImportCounts counts = ImportFile(*m_store, PathOf(files[at]), VELANTO_VERSION);
            report += wxString::FromUTF8(ImportLine(files[at].utf8_string(), counts)) + "\n";
        } catch (const StoreError& error) {
            if (IsConnectionLost(error)) {
                // Its transaction never ended: nothing of it is in the store. The window still shows the
                // store as it was before the import.
                progress.Update(static_cast<int>(files.size()));
                OfferReconnect(wxString::FromUTF8(error.what()) + "\n\nThe import of " + files[at] +
                               " was not kept: none of its records are in the store" +
                               (at + 1 < files.size() ? ", nor of the files after it." : ".") +
                               (at > 0 ? "\n\nKept before the connection was lost:\n" + report : wxString()));
                return;
            }
            report += wxString::FromUTF8(error.what()) + "\n";
            ++refused;
        } catch (const std::exception& error) {
            report += wxString::FromUTF8(error.what()) + "\n";
            ++refused;
        }
    }
    progress.Update(static_cast<int>(files.size()));
    ShowStore();
    wxMessageDialog summary(
        this,
        refused == 0 ? wxString::Format(files.size() == 1 ? "%zu file imported." : "%zu files imported.", files.size())
                     : wxString::Format("%zu of %zu files could not be imported; they added "
                                        "nothing.",
                                        refused, files.size()),
        "velanto records", wxOK | (refused == 0 ? wxICON_INFORMATION : wxICON_WARNING));
    summary.SetExtendedMessage(report);
    summary.ShowModal();
}

void RecordsFrame::OnNewStore() {
    wxFileDialog dialog(this, "New store", "", "records.sqlite", kStoreWildcard, wxFD_SAVE);
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    const std::filesystem::path file = PathOf(dialog.GetPath());
    if (std::filesystem::exists(file)) {
        wxMessageBox(dialog.GetPath() +
                         " is there already: a new store is made only where no file is. Use Open to "
                         "open it.",
                     "velanto records", wxOK | wxICON_WARNING, this);
        return;
    }
    OpenStore(file, true);
}

void RecordsFrame::OnOpenStore() {
    wxFileDialog dialog(this, "Open store", "", "", kStoreWildcard, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK) {
        OpenStore(PathOf(dialog.GetPath()), false);
    }
}

void RecordsFrame::OnOpenServer() {
    ServerDialog dialog(this, LastServer(*wxConfigBase::Get()));
    if (dialog.ShowModal() == wxID_OK && dialog.Typed()) {
        OpenStore(dialog.Address(), false);
    }
}

void RecordsFrame::OnImport() {
    if (ImportRefused()) {
        return;
    }
    wxFileDialog dialog(this, "Import files", "", "", kImportWildcard,
                        wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK) {
        wxArrayString files;
        dialog.GetPaths(files);
        ImportFiles(files);
    }
}

void RecordsFrame::OnExport() {
    wxFileDialog dialog(this, "Export CSV", "", "records.csv", "CSV files (*.csv)|*.csv",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    wxBusyCursor busy;
    std::string csv;
    if (!TryOnStore(this, "Nothing was exported; " + dialog.GetPath() + " is as it was.",
                    [&] { csv = CsvOf(*m_store, CurrentFilter()); })) {
        return;
    }
    const FailureCause cause = WriteFileWhole(dialog.GetPath().utf8_string(), csv);
    if (!cause.empty()) {
        wxMessageBox(wxString::FromUTF8(cause), "velanto records", wxOK | wxICON_ERROR, this);
    }
}

void RecordsFrame::OnDownload() {
    if (ImportRefused()) {
        return;
    }
    const int port = m_port->GetSelection() + 1;
    wxConfigBase::Get()->Write(kPortKey, port);
    const DownloadOutcome outcome = DownloadWithProgress(this, port);
    switch (outcome.kind) {
        case DownloadOutcome::Kind::Image: break;
        case DownloadOutcome::Kind::Cancelled: return;
        case DownloadOutcome::Kind::Declined:
            wxMessageBox(wxString::FromUTF8(outcome.reason) + "\n\nNothing was kept.", "velanto records",
                         wxOK | wxICON_INFORMATION, this);
            return;
        case DownloadOutcome::Kind::Failed:
            wxMessageBox(wxString::FromUTF8(outcome.reason), "velanto records", wxOK | wxICON_ERROR, this);
            return;
    }
    m_records->StopReading();
    ImportCounts counts;
    const auto keep = [&] { counts = ImportImage(*m_store, outcome.image, DownloadSource(port), VELANTO_VERSION); };
    if (!TryOnStore(this, "Nothing of the download was kept; the detector still holds its memory.", keep)) {
        return;
    }
    ShowStore();
    wxMessageBox(wxString::FromUTF8(ImportLine("COM" + std::to_string(port), counts)), "velanto records",
                 wxOK | wxICON_INFORMATION, this);
}

void RecordsFrame::OnNameProgram() {
    const std::optional<std::int64_t> program = m_programs->Chosen();
    if (!program) {
        wxMessageBox("Choose a program in the list of programs first.", "velanto records", wxOK | wxICON_INFORMATION,
                     this);
        return;
    }
    const std::optional<std::int64_t> detector = m_filters->Filter().detector;
    const wxString scope =
        detector ? wxString::Format("detector %lld", static_cast<long long>(*detector)) : wxString("every detector");
    wxTextEntryDialog dialog(this,
                             wxString::Format("Name of program %lld for %s:", static_cast<long long>(*program), scope),
                             "Name program", m_programs->ChosenName());
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    m_records->StopReading();
    TryOnStore(this, "The program's name was not kept.",
               [&] { m_store->NameProgram(*program, dialog.GetValue().utf8_string(), detector); });
    ShowStore();
}

void RecordsFrame::MakeViewMenus(wxMenuBar& bar) {
    auto* edit = new wxMenu;
    edit->Append(wxID_COPY, "&Copy\tCtrl+C", "Copy the summary as tab-separated text");
    auto* view = new wxMenu;
    view->Append(kZoomBack, "Zoom &Back\tAlt+Left", "Show the trend's period shown before the last zoom");
    view->Append(kWholePeriod, "&Whole Period\tCtrl+0", "Show the trend's whole period");
    view->AppendSeparator();
    view->Append(kGoToPrograms, "Go to &Programs\tCtrl+1", "Move the keyboard's focus to the list of programs");
    view->Append(kGoToRecords, "Go to R&ecords\tCtrl+2", "Move the keyboard's focus to the list of records");
    view->AppendSeparator();
    view->AppendCheckItem(kLogarithmic, "&Logarithmic RLU Axis\tCtrl+L", "Draw RLU on a logarithmic axis");
    bar.Append(edit, "&Edit");
    bar.Append(view, "&View");

    const auto zoomBack = [this](wxCommandEvent&) { m_pages->Trend().ZoomBack(); };
    Bind(wxEVT_MENU, zoomBack, kZoomBack);
    const auto wholePeriod = [this](wxCommandEvent&) { m_pages->Trend().ShowWholePeriod(); };
    Bind(wxEVT_MENU, wholePeriod, kWholePeriod);
    Bind(wxEVT_MENU, &RecordsFrame::OnLogarithmic, this, kLogarithmic);
    const auto goToPrograms = [this](wxCommandEvent&) { m_programs->SetFocus(); };
    Bind(wxEVT_MENU, goToPrograms, kGoToPrograms);
    const auto goToRecords = [this](wxCommandEvent&) { m_records->SetFocus(); };
    Bind(wxEVT_MENU, goToRecords, kGoToRecords);
    const auto offerZoomBack = [this](wxUpdateUIEvent& event) {
        event.Enable(m_pages->Shows(ResultPages::kTrendPage) && m_pages->Trend().CanZoomBack());
    };
    Bind(wxEVT_UPDATE_UI, offerZoomBack, kZoomBack);
    const auto offerWithTrend = [this](wxUpdateUIEvent& event) {
        event.Enable(m_pages->Shows(ResultPages::kTrendPage));
    };
    Bind(wxEVT_UPDATE_UI, offerWithTrend, kWholePeriod);
    const auto showLogarithmic = [this](wxUpdateUIEvent& event) { event.Check(m_pages->Trend().IsLogarithmic()); };
    Bind(wxEVT_UPDATE_UI, showLogarithmic, kLogarithmic);
    // Elsewhere Ctrl+C is the focused control's own.
    const auto offerCopy = [this](wxUpdateUIEvent& event) { event.Enable(m_pages->Shows(ResultPages::kSummaryPage)); };
    Bind(wxEVT_UPDATE_UI, offerCopy, wxID_COPY);
}

void RecordsFrame::OnLogarithmic(wxCommandEvent& event) {
    m_pages->Trend().SetLogarithmic(event.IsChecked());
    wxConfigBase::Get()->Write(kLogarithmicKey, event.IsChecked());
}

void RecordsFrame::OnCopy() { m_pages->Summary().CopyToClipboard(); }

void RecordsFrame::OnClicked(std::int64_t key) {
    if (!m_records->SelectKey(key)) {
        SetStatusText("That result is no longer among the records shown.", 1);
    }
}

void RecordsFrame::OnReport() {
    const RecordFilter filter = CurrentFilter();
    ReportRequest request;
    request.period.from = filter.from;
    request.period.to = filter.to;
    request.period.detector = filter.detector;
    if (filter.program) {
        request.programs.push_back(*filter.program);
    }
    request.programVersion = VELANTO_VERSION;
    request.madeAt = wxDateTime::Now().Format("%Y-%m-%d %H:%M").utf8_string();
    if (!TryOnStore(this, "No report was made.", [&] { request.title = m_store->LabTitle(); })) {
        return;
    }
    // An open end of the period is named by the records' own first or last date.
    std::optional<std::string> from = filter.from, to = filter.to;
    if (const std::vector<std::int64_t>& keys = m_records->Selection().keys; !keys.empty() && (!from || !to)) {
        const std::int64_t ends[] = {keys.front(), keys.back()};
        const std::vector<ListedRecord> records = m_store->RecordsOf(ends);
        if (records.size() == 2 && records[0].record.calendarValid && records[1].record.calendarValid) {
            from = from.value_or(records[0].record.date);
            to = to.value_or(records[1].record.date);
        }
    }
    SaveAndOpenReport(this, *m_store, request, ReportFileName(from, to));
}

void RecordsFrame::OnLabTitle() {
    if (const std::optional<std::string> refusal = m_store->ImportRefusal()) {
        wxMessageBox("The lab's title cannot be changed: " + wxString::FromUTF8(*refusal), "velanto records",
                     wxOK | wxICON_WARNING, this);
        return;
    }
    const auto askAndKeep = [this] {
        wxTextEntryDialog dialog(this, "The lab's title, at the head of its reports:", "Lab title",
                                 wxString::FromUTF8(m_store->LabTitle()));
        if (dialog.ShowModal() == wxID_OK) {
            m_records->StopReading();
            m_store->SetLabTitle(dialog.GetValue().utf8_string());
            ShowRecords();
        }
    };
    TryOnStore(this, "The lab's title was not changed.", askAndKeep);
}

void RecordsFrame::OnAbout() {
    wxAboutDialogInfo about;
    about.SetName("velanto records");
    about.SetVersion(VELANTO_VERSION);
    about.SetDescription("Keeps every result downloaded from an ATP detector, each once.");
    about.SetLicence("MIT");
    about.SetIcon(RecordsIcons().GetIcon(48));
    wxAboutBox(about, this);
}

void RecordsFrame::OnClose(wxCloseEvent& event) {
    wxConfigBase::Get()->Write(kSashKey, m_splitter->GetSashPosition());
    wxConfigBase::Get()->Write(kResultSashKey, m_resultSplitter->GetSashPosition());
    event.Skip();
}

}  // namespace velanto
