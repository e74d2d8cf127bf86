#include "tests/database/support/RawDatabase.h"

#include <charconv>

#include "tests/database/support/RawConnection.h"

namespace viruzedi::testing {

bool IsServerDatabase(const std::string& database) {
  return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

RawDatabase::RawDatabase(const std::string& name) {
  const std::string database = NativeDatabase(name);
  connection_ = IsServerDatabase(database) ? OpenServerConnection(database)
                                           : OpenSqliteConnection(database);
}

RawDatabase::~RawDatabase() = default;

bool RawDatabase::Exec(const std::string& sql) { return connection_->Exec(sql); }

std::vector<std::vector<StoredValue>> RawDatabase::Cells(const std::string& sql) {
  return connection_->Cells(sql);
}

std::vector<std::string> RawDatabase::Rows(const std::string& sql) {
  std::vector<std::string> rows;
  for (const std::vector<StoredValue>& cells : Cells(sql)) {
    std::string row;
    for (const StoredValue& cell : cells) {
      if (!row.empty()) row += ", ";
      if (std::holds_alternative<std::monostate>(cell)) {
        row += "NULL";
      } else if (const int64_t* integer = std::get_if<int64_t>(&cell)) {
        row += std::to_string(*integer);
      } else if (const double* real = std::get_if<double>(&cell)) {
        char buffer[32];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, *real).ptr;
        std::string number(buffer, end);
        if (number.find_first_of(".en") == std::string::npos) number += ".0";
        row += number;
      } else {
        row += "'" + std::get<std::string>(cell) + "'";
      }
    }
    rows.push_back(row);
  }
  return rows;
}

std::string RawDatabase::Value(const std::string& sql) {
  std::vector<std::string> rows = Rows(sql);
  return rows.empty() ? "(no row)" : rows.front();
}

std::vector<std::string> QueryRows(const std::string& name, const std::string& query) {
  const std::string database = NativeDatabase(name);
  return IsServerDatabase(database) ? ServerQueryRows(database, query)
                                    : SqliteQueryRows(database, query);
}

}  // namespace viruzedi::testing
