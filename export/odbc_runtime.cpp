#include "export/odbc_runtime.h"

#include <utility>

#include "export/export_error.h"

namespace velanto {
namespace {

constexpr const char* kLoaderTitle = "ODBC Installer Error";
constexpr const char* kInstallerKind = "ODBC installer DLL";
constexpr const char* kDriverManagerKind = "ODBC driver manager DLL";

// Resolves the functions of one library and remembers the first one it lacks.
class FunctionBinder {
public:
    explicit FunctionBinder(const SharedLibrary& library) : m_library(library) {}

    template <typename Function>
    void operator()(Function*& target, const char* name) {
        target = reinterpret_cast<Function*>(m_library.Symbol(name));
        if (!target && m_missing.empty()) {
            m_missing = name;
        }
    }

    const std::string& Missing() const { return m_missing; }

private:
    const SharedLibrary& m_library;
    std::string m_missing;
};

void Bind(FunctionBinder& bind, InstallerCalls& calls) { bind(calls.getInstalledDrivers, "SQLGetInstalledDrivers"); }

void Bind(FunctionBinder& bind, DriverManagerCalls& calls) {
    bind(calls.allocEnv, "SQLAllocEnv");
    bind(calls.freeEnv, "SQLFreeEnv");
    bind(calls.allocConnect, "SQLAllocConnect");
    bind(calls.setConnectOption, "SQLSetConnectOption");
    bind(calls.driverConnect, "SQLDriverConnect");
    bind(calls.getInfo, "SQLGetInfo");
    bind(calls.disconnect, "SQLDisconnect");
    bind(calls.transact, "SQLTransact");
    bind(calls.freeConnect, "SQLFreeConnect");
    bind(calls.allocStmt, "SQLAllocStmt");
    bind(calls.setStmtOption, "SQLSetStmtOption");
    bind(calls.execDirect, "SQLExecDirect");
    bind(calls.numResultCols, "SQLNumResultCols");
    bind(calls.fetch, "SQLFetch");
    bind(calls.moreResults, "SQLMoreResults");
    bind(calls.cancel, "SQLCancel");
    bind(calls.freeStmt, "SQLFreeStmt");
    bind(calls.getDiagRec, "SQLGetDiagRec");
}

}  // namespace

OdbcRuntime::OdbcRuntime(OdbcLibraryNames names) : m_names(std::move(names)) {}

OdbcRuntime::OdbcRuntime(const InstallerCalls& installer, const DriverManagerCalls& driverManager)
    : m_installer(Loaded<InstallerCalls>{SharedLibrary(), installer}),
      m_driverManager(Loaded<DriverManagerCalls>{SharedLibrary(), driverManager}) {}

template <typename Calls>
std::optional<OdbcRuntime::Loaded<Calls>> OdbcRuntime::LoadCalls(const std::string& name, const char* kind,
                                                                 ExportUi& ui) {
    SharedLibrary library(name);
    if (!library.Loaded()) {
        ui.ShowInformation(kLoaderTitle,
                           "The " + std::string(kind) + " (" + name + ") is not installed on this system.");
        return std::nullopt;
    }
    Calls calls;
    FunctionBinder bind(library);
    Bind(bind, calls);
    if (!bind.Missing().empty()) {
        ui.ShowInformation(kLoaderTitle, "The program " + ProgramFilePath() +
                                             ", or one of its DLLs attempted to call the "
                                             "function " +
                                             bind.Missing() + " which is not supported in the loaded " + kind + " (" +
                                             library.FilePath() + ").  Press OK to proceed.");
        return std::nullopt;
    }
    return Loaded<Calls>{std::move(library), calls};
}

bool OdbcRuntime::Load(ExportUi& ui) {
    if (!m_installer) {
        m_installer = LoadCalls<InstallerCalls>(m_names.installer, kInstallerKind, ui);
    }
    if (m_installer && !m_driverManager) {
        m_driverManager = LoadCalls<DriverManagerCalls>(m_names.driverManager, kDriverManagerKind, ui);
    }
    return m_installer && m_driverManager;
}

std::shared_ptr<OdbcEnvironment> OdbcRuntime::Environment() {
    std::shared_ptr<OdbcEnvironment> environment = m_environment.lock();
    if (!environment) {
        const DriverManagerCalls& calls = DriverManager();
        SQLHENV handle = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(calls.allocEnv(&handle))) {
            if (handle != SQL_NULL_HENV) {
                calls.freeEnv(handle);
            }
            throw DatabaseError("The ODBC driver manager cannot allocate an environment.");
        }
        environment = std::make_shared<OdbcEnvironment>(calls, handle);
        m_environment = environment;
    }
    return environment;
}

}  // namespace velanto
