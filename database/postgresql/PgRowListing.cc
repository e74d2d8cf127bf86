// The rows of a listing, read from the server in a read-only transaction.
#include <cstdlib>

#include "database/postgresql/PgConnection.h"

namespace viruzedi {
namespace {

// Type oids of the server's floating and decimal numbers.
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

std::string CellText(const PGresult* rows, int row, int column) {
  if (PQgetisnull(rows, row, column)) return "";
  std::string text = PQgetvalue(rows, row, column);
  Oid type = PQftype(rows, column);
  if (type != kFloat4 && type != kFloat8 && type != kNumeric) return text;
  return ListedNumber(text);
}

}  // namespace

void PgConnection::ListRows(const KnownTable& table, size_t most,
                            std::vector<std::vector<std::string>>& rows, int64_t& count) {
  PgResult counted = Query("SELECT count(*) FROM " + table.where.sqlName);
  count = std::strtoll(PQgetvalue(counted.get(), 0, 0), nullptr, 10);
  PgResult read = Query("SELECT * FROM " + table.where.sqlName + " LIMIT " + std::to_string(most));
  for (int row = 0; row < PQntuples(read.get()); ++row) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (int column = 0; column < PQnfields(read.get()); ++column) {
      cells.push_back(CellText(read.get(), row, column));
    }
  }
}

}  // namespace viruzedi
