// The driver library loaded on its own, as the driver manager loads it, for what the
// driver manager does not pass on: freeing an open connection, SQLGetFunctions and
// handles of the wrong kind.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tests/xlsdriver/odbc_test_support.h"

namespace velanto {
namespace {

// The driver's own entry points, looked up in the library.
class DriverLibrary {
public:
    DriverLibrary() : m_handle(::dlopen(VELANTO_XLS_DRIVER_PATH, RTLD_NOW | RTLD_LOCAL), &::dlclose) {
        if (!m_handle)
            throw std::runtime_error(::dlerror());
    }

    template <typename Function>
    Function* Get(const char* name) const {
        void* symbol = ::dlsym(m_handle.get(), name);
        if (!symbol)
            throw std::runtime_error(std::string("the driver lacks ") + name);
        return reinterpret_cast<Function*>(symbol);
    }

private:
    std::unique_ptr<void, int (*)(void*)> m_handle;
};

// A connection handle of the library's own, with the calls every test makes.
class OdbcDriverLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(alloc(SQL_HANDLE_ENV, nullptr, &env), SQL_SUCCESS);
        ASSERT_EQ(alloc(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    }

    // The test's last step: the connection and its environment freed.
    void FreeConnection() {
        EXPECT_EQ(free(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
        EXPECT_EQ(free(SQL_HANDLE_ENV, env), SQL_SUCCESS);
    }

    const DriverLibrary driver;
    decltype(&SQLAllocHandle) alloc = driver.Get<decltype(SQLAllocHandle)>("SQLAllocHandle");
    decltype(&SQLFreeHandle) free = driver.Get<decltype(SQLFreeHandle)>("SQLFreeHandle");
    decltype(&SQLDriverConnect) connect = driver.Get<decltype(SQLDriverConnect)>("SQLDriverConnect");
    SQLHANDLE env = nullptr, dbc = nullptr;
};

TEST_F(OdbcDriverLibrary, FreeingAnOpenConnectionWritesTheWorkbook) {
    testing::ScratchFolder folder;
    const std::string path = (folder / "freed.xls").string();
    const auto execute = driver.Get<decltype(SQLExecDirect)>("SQLExecDirect");

    SQLHANDLE statement = nullptr;
    EXPECT_EQ(alloc(SQL_HANDLE_STMT, dbc, &statement), SQL_ERROR) << "not connected yet";
    const std::string connection = "DBQ=" + path;
    ASSERT_EQ(connect(dbc, nullptr, (SQLCHAR*)connection.c_str(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_SUCCESS);
    ASSERT_EQ(alloc(SQL_HANDLE_STMT, dbc, &statement), SQL_SUCCESS);
    ASSERT_EQ(execute(statement, (SQLCHAR*)"CREATE TABLE kept (a TEXT)", SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(execute(statement, (SQLCHAR*)"INSERT INTO kept VALUES ('written')", SQL_NTS), SQL_SUCCESS);

    EXPECT_EQ(free(SQL_HANDLE_STMT, dbc), SQL_INVALID_HANDLE);
    EXPECT_EQ(free(SQL_HANDLE_DBC, statement), SQL_INVALID_HANDLE);
    FreeConnection();  // its statement goes with it
    EXPECT_EQ(testing::ReadWithXlrd(path).at(0).rows, (std::vector<std::vector<std::string>>{{"a"}, {"written"}}));
}

// A message longer than SQLGetDiagRec's length can count comes cut, with 01004, never with a
// length that wrapped.
TEST_F(OdbcDriverLibrary, DiagnosticLongerThanItsLengthCanCountIsCut) {
    const auto diagnostic = driver.Get<decltype(SQLGetDiagRec)>("SQLGetDiagRec");
    const std::string connection = "DBQ=/nonexistent/" + std::string(40000, 'n') + "/book.xls";
    ASSERT_EQ(connect(dbc, nullptr, (SQLCHAR*)connection.c_str(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_ERROR);

    std::vector<SQLCHAR> message(32767);
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    EXPECT_EQ(diagnostic(SQL_HANDLE_DBC, dbc, 1, state, &native, message.data(), 32767, &length),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_GT(length, 32000);
    EXPECT_LE(std::strlen(reinterpret_cast<char*>(message.data())), static_cast<std::size_t>(length));

    FreeConnection();
}

TEST_F(OdbcDriverLibrary, GetFunctionsNamesWhatIsThere) {
    const auto functions = driver.Get<decltype(SQLGetFunctions)>("SQLGetFunctions");

    SQLUSMALLINT bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE];
    ASSERT_EQ(functions(dbc, SQL_API_ODBC3_ALL_FUNCTIONS, bitmap), SQL_SUCCESS);
    for (SQLUSMALLINT id : {SQL_API_SQLEXECDIRECT, SQL_API_SQLGETDIAGREC, SQL_API_SQLDRIVERCONNECT, SQL_API_SQLERROR}) {
        EXPECT_TRUE(SQL_FUNC_EXISTS(bitmap, id)) << id;
    }
    EXPECT_FALSE(SQL_FUNC_EXISTS(bitmap, SQL_API_SQLBINDCOL));
    SQLUSMALLINT one = SQL_TRUE;
    ASSERT_EQ(functions(dbc, SQL_API_SQLTABLES, &one), SQL_SUCCESS);
    EXPECT_EQ(one, SQL_FALSE);

    FreeConnection();
}

}  // namespace
}  // namespace velanto
