#include "export/odbc_runtime.h"

namespace velanto {

// unixODBC's.
OdbcLibraryNames SystemOdbcLibraries() { return {"libodbc.so.2", "libodbcinst.so.2"}; }

}  // namespace velanto
