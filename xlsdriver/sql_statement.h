#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velanto {

struct CreateTableStatement {
    std::string table;
    std::vector<std::string> columns;  // every column holds text, whatever type was named
};

struct InsertStatement {
    std::string table;
    std::optional<std::vector<std::string>> columns;  // nothing: all columns in table order
    std::vector<std::optional<std::string>> values;   // the literals' text; nothing for NULL
};

struct DropTableStatement {
    std::string table;
};

using SqlStatement = std::variant<CreateTableStatement, InsertStatement, DropTableStatement>;

// Parses one statement of the driver's SQL:
//   CREATE TABLE t ( c TYPE [(n[, m])], ... )
//   INSERT INTO t [( c, ... )] VALUES ( v, ... )
//   DROP TABLE t
// Keywords in any case, any white space, an optional ';' at the end. Names are bare
// (letters, digits, '_', '$' and non-ASCII characters, a digit first included) or in
// [brackets], "double quotes" or `backquotes`, where a doubled closing mark stands for
// itself. Values are 'strings' ('' inside for one apostrophe), numbers (kept as written)
// or NULL. Throws DriverError 42000 with the character position of the first problem.
SqlStatement ParseSql(std::string_view text);

}  // namespace velanto
