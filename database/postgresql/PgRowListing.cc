// The rows of a listing, read from the server in a read-only transaction.
#include <charconv>
#include <cstdlib>

#include "base/Errors.h"
#include "database/Database.h"
#include "database/postgresql/PgConnection.h"
#include "database/postgresql/PgEngine.h"

namespace viruzedi {
namespace {

// Type oids of the server's floating and decimal numbers.
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

// A number as the file engine's listing prints a stored real, so the same
// value reads the same whichever engine holds it.
std::string CellText(const PGresult* rows, int row, int column) {
  if (PQgetisnull(rows, row, column)) return "";
  std::string text = PQgetvalue(rows, row, column);
  Oid type = PQftype(rows, column);
  if (type != kFloat4 && type != kFloat8 && type != kNumeric) return text;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return text;
  char buffer[32];
  auto [last, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, last) : text;
}

TableRows ListTable(PgConnection& connection, const std::string& name, size_t most) {
  TableRows listed;
  const TableSchema* table =
      StartListing(name, listed, [&]() -> const TableSchema& { return connection.Table(name); });
  if (table == nullptr) return listed;
  // The name comes from the catalog, quoted and with its schema.
  const std::string& quoted = connection.QualifiedName(*table);
  PgResult count = connection.Query("SELECT count(*) FROM " + quoted);
  listed.count = std::strtoll(PQgetvalue(count.get(), 0, 0), nullptr, 10);
  PgResult rows = connection.Query("SELECT * FROM " + quoted + " LIMIT " + std::to_string(most));
  for (int row = 0; row < PQntuples(rows.get()); ++row) {
    std::vector<std::string>& cells = listed.rows.emplace_back();
    for (int column = 0; column < PQnfields(rows.get()); ++column) {
      cells.push_back(CellText(rows.get(), row, column));
    }
  }
  return listed;
}

}  // namespace

std::vector<TableRows> PgEngine::ListRows(const std::string& name,
                                          const std::vector<std::string>& tables, size_t most,
                                          std::chrono::milliseconds busyTimeout) {
  std::unique_ptr<PgConnection> connection = PgConnection::Connect(name, busyTimeout);
  connection->Exec("BEGIN TRANSACTION READ ONLY");
  std::vector<TableRows> listed;
  for (const std::string& table : tables) listed.push_back(ListTable(*connection, table, most));
  connection->Exec("ROLLBACK");
  return listed;
}

}  // namespace viruzedi
