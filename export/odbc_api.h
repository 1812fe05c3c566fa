#pragma once

// The ODBC declarations as the system's own headers give them. Windows' build on its base
// types, which come first there.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>
