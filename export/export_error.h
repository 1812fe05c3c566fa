#pragma once

#include <stdexcept>

namespace velanto {

// An error that ends the running command: the dialog reports its text in a box with a stop
// icon and stays open. Nothing between the failing operation and the dialog catches it.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be written, flushed or closed; the text names the file and the cause.
class FileError : public CommandError {
public:
    using CommandError::CommandError;
};

// The ODBC driver refused a connection or a statement; the text holds its diagnostics.
class DatabaseError : public CommandError {
public:
    using CommandError::CommandError;
};

}  // namespace velanto
