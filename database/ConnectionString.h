// What a database value says about ODBC, with no ODBC call (the engine
// layer tells the kinds of value apart by it): whether it is a
// connection string, the attributes written in one, and the connection
// string of a database file on a system whose files go through the Access
// driver. Kept free of the ODBC headers so that every system can test it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace viruzedi {

// True for a value that begins with DSN=, Driver= or FileDSN= (letter case
// ignored): an ODBC connection string, used as given.
bool IsOdbcConnectionString(std::string_view value);

// The value of the attribute `key` (letter case ignored, the last one when
// written twice), braces taken off; nothing when the string has none.
std::optional<std::string> ConnectionStringAttribute(std::string_view connection,
                                                     std::string_view key);

// The connection string that opens the database file `path` through the
// Access driver: Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=PATH;
// with the path in braces when it holds a ';', a brace or blanks at its ends.
std::string AccessConnectionString(const std::string& path);

// The connection string for a database value where files are opened
// through the Access driver: a connection string as it is; a file path its
// Access string, 3024 when there is no file at the path (checked before
// connecting, so the driver never makes one).
std::string ConnectionStringOfValue(const std::string& value);

// The 3151 of a PostgreSQL URI or keyword string where only ODBC reaches
// servers, with the connection string of the PostgreSQL ODBC driver to use
// instead; the value's password is not shown.
[[noreturn]] void RefusePostgresValue(const std::string& value);

// `message` with every password of `connection` (its PWD and Password
// attributes) replaced by "***", so a driver that repeats one shows none.
std::string MaskConnectionPasswords(std::string message, std::string_view connection);

}  // namespace viruzedi
