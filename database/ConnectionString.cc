#include "database/ConnectionString.h"

#include <filesystem>

#include "base/Masking.h"
#include "base/Text.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

struct Attribute {
  std::string_view key;
  std::string value;  // braces taken off, "}}" read as one brace
};

// Reads the attribute that begins at `at`, moving `at` past its ';'.
Attribute NextAttribute(std::string_view connection, size_t& at) {
  size_t equals = connection.find('=', at);
  size_t semicolon = connection.find(';', at);
  Attribute attribute;
  if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals)) {
    attribute.key = TrimSpaces(connection.substr(at, semicolon == std::string_view::npos
                                                         ? std::string_view::npos
                                                         : semicolon - at));
    at = semicolon == std::string_view::npos ? connection.size() : semicolon + 1;
    return attribute;
  }
  attribute.key = TrimSpaces(connection.substr(at, equals - at));
  size_t position = equals + 1;
  while (position < connection.size() && connection[position] == ' ') ++position;
  if (position < connection.size() && connection[position] == '{') {
    for (++position; position < connection.size(); ++position) {
      if (connection[position] != '}') {
        attribute.value += connection[position];
      } else if (position + 1 < connection.size() && connection[position + 1] == '}') {
        attribute.value += '}';
        ++position;
      } else {
        ++position;
        break;
      }
    }
    semicolon = connection.find(';', position);
  } else {
    semicolon = connection.find(';', position);
    attribute.value = std::string(connection.substr(
        position, semicolon == std::string_view::npos ? std::string_view::npos : semicolon - position));
  }
  at = semicolon == std::string_view::npos ? connection.size() : semicolon + 1;
  return attribute;
}

}  // namespace

bool IsOdbcConnectionString(std::string_view value) {
  return StartsWithIgnoreCase(value, "DSN=") || StartsWithIgnoreCase(value, "Driver=") ||
         StartsWithIgnoreCase(value, "FileDSN=");
}

std::optional<std::string> ConnectionStringAttribute(std::string_view connection,
                                                     std::string_view key) {
  std::optional<std::string> found;
  for (size_t at = 0; at < connection.size();) {
    Attribute attribute = NextAttribute(connection, at);
    if (EqualsIgnoreCase(attribute.key, key)) found = std::move(attribute.value);
  }
  return found;
}

std::string AccessConnectionString(const std::string& path) {
  bool braced = path.find_first_of(";{}") != std::string::npos ||
                (!path.empty() && (path.front() == ' ' || path.back() == ' '));
  std::string dbq = path;
  if (braced) {
    dbq = "{";
    for (char c : path) {
      dbq += c;
      if (c == '}') dbq += '}';
    }
    dbq += "}";
  }
  return "Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" + dbq + ";";
}

std::string ConnectionStringOfValue(const std::string& value) {
  if (IsOdbcConnectionString(value)) return value;
  // The value is UTF-8, whatever the system's code page.
  std::filesystem::path path(std::u8string(value.begin(), value.end()));
  std::error_code error;
  if (value.empty() || !std::filesystem::is_regular_file(path, error)) {
    RaiseDatabaseError(kDbFileNotFound, value);
  }
  return AccessConnectionString(value);
}

void RefusePostgresValue(const std::string& value) {
  RaiseDatabaseError(kDbCannotConnect,
                     "'" + MaskPasswords(value) +
                         "' (qui i server si raggiungono solo con una stringa di connessione "
                         "ODBC, ad esempio \"Driver={PostgreSQL Unicode};Server=...;Port=5432;"
                         "Database=...;UID=...;PWD=...\")");
}

std::string MaskConnectionPasswords(std::string message, std::string_view connection) {
  message = MaskPasswords(message);
  for (size_t at = 0; at < connection.size();) {
    Attribute attribute = NextAttribute(connection, at);
    if (!EqualsIgnoreCase(attribute.key, "PWD") && !EqualsIgnoreCase(attribute.key, "Password")) {
      continue;
    }
    if (attribute.value.empty()) continue;
    for (size_t found = message.find(attribute.value); found != std::string::npos;
         found = message.find(attribute.value, found + 3)) {
      message.replace(found, attribute.value.size(), "***");
    }
  }
  return message;
}

}  // namespace viruzedi
