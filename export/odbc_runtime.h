#pragma once

// ODBC as the export reaches it: the system's driver manager and installer libraries, loaded
// when an export first needs them, so that velanto runs (and saves text) where they are missing.

#include <memory>
#include <optional>
#include <string>

#include "export/export_ui.h"
#include "export/odbc_api.h"
#include "os/shared_library.h"

namespace velanto {

struct OdbcLibraryNames {
    std::string driverManager;
    std::string installer;
};

// The names the driver manager and the installer go by on this system.
OdbcLibraryNames SystemOdbcLibraries();

struct InstallerCalls {
    decltype(&::SQLGetInstalledDrivers) getInstalledDrivers = nullptr;
};

// The driver manager functions the export calls.
struct DriverManagerCalls {
    decltype(&::SQLAllocEnv) allocEnv = nullptr;
    decltype(&::SQLFreeEnv) freeEnv = nullptr;
    decltype(&::SQLAllocConnect) allocConnect = nullptr;
    decltype(&::SQLSetConnectOption) setConnectOption = nullptr;
    decltype(&::SQLDriverConnect) driverConnect = nullptr;
    decltype(&::SQLGetInfo) getInfo = nullptr;
    decltype(&::SQLDisconnect) disconnect = nullptr;
    decltype(&::SQLTransact) transact = nullptr;
    decltype(&::SQLFreeConnect) freeConnect = nullptr;
    decltype(&::SQLAllocStmt) allocStmt = nullptr;
    decltype(&::SQLSetStmtOption) setStmtOption = nullptr;
    decltype(&::SQLExecDirect) execDirect = nullptr;
    decltype(&::SQLNumResultCols) numResultCols = nullptr;
    decltype(&::SQLFetch) fetch = nullptr;
    decltype(&::SQLMoreResults) moreResults = nullptr;
    decltype(&::SQLCancel) cancel = nullptr;
    decltype(&::SQLFreeStmt) freeStmt = nullptr;
    decltype(&::SQLGetDiagRec) getDiagRec = nullptr;
};

// An ODBC environment handle, freed when the object goes.
class OdbcEnvironment {
public:
    OdbcEnvironment(const DriverManagerCalls& calls, SQLHENV handle) : m_calls(calls), m_handle(handle) {}
    ~OdbcEnvironment() { m_calls.freeEnv(m_handle); }
    OdbcEnvironment(const OdbcEnvironment&) = delete;
    OdbcEnvironment& operator=(const OdbcEnvironment&) = delete;

    SQLHENV Handle() const { return m_handle; }

private:
    const DriverManagerCalls& m_calls;
    SQLHENV m_handle;
};

// The two libraries, once loaded, and the environment their connections share.
class OdbcRuntime {
public:
    explicit OdbcRuntime(OdbcLibraryNames names = SystemOdbcLibraries());
    // Functions given as they are rather than loaded from libraries.
    OdbcRuntime(const InstallerCalls& installer, const DriverManagerCalls& driverManager);

    // Loads whichever library is not loaded yet, the installer first. A library that cannot
    // be loaded, or lacks a function, is told in the loader's information box and tried
    // again at the next call; false then.
    bool Load(ExportUi& ui);

    // After a successful Load:
    const InstallerCalls& Installer() const { return m_installer->calls; }
    const DriverManagerCalls& DriverManager() const { return m_driverManager->calls; }
    // The environment of the open connections, made for the first of them and freed with
    // the last (all on the user-interface thread). Throws DatabaseError when the driver
    // manager cannot make one.
    std::shared_ptr<OdbcEnvironment> Environment();

private:
    template <typename Calls>
    struct Loaded {
        SharedLibrary library;
        Calls calls;
    };

    OdbcLibraryNames m_names;
    std::optional<Loaded<InstallerCalls>> m_installer;
    std::optional<Loaded<DriverManagerCalls>> m_driverManager;
    std::weak_ptr<OdbcEnvironment> m_environment;

    template <typename Calls>
    static std::optional<Loaded<Calls>> LoadCalls(const std::string& name, const char* kind, ExportUi& ui);
};

}  // namespace velanto
