#pragma once

// The ODBC declarations, made visible outside the library: the driver exports the
// functions these headers declare and that it defines; everything else stays hidden.
// Every file includes them through here, so no other path declares them hidden first.
#pragma GCC visibility push(default)
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>
#pragma GCC visibility pop
