#include "export/odbc_runtime.h"

namespace velanto {

// The ones Windows ships.
OdbcLibraryNames SystemOdbcLibraries() { return {"odbc32.dll", "ODBCCP32.DLL"}; }

}  // namespace velanto
