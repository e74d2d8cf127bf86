#include "database/SqlText.h"

namespace viruzedi {

std::string QuoteName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string InsertSql(const RowBatch& batch, const NameWriter& writeName,
                      const std::function<std::string(size_t)>& parameter) {
  std::string sql = "INSERT INTO " + batch.table->where.sqlName;
  if (batch.columns.empty()) return sql + " DEFAULT VALUES";
  std::string names;
  std::string parameters;
  for (size_t i = 0; i < batch.columns.size(); ++i) {
    names += (i == 0 ? "" : ", ") + writeName(batch.table->schema.columns[batch.columns[i]].name);
    parameters += (i == 0 ? "" : ", ") + parameter(i + 1);
  }
  return sql + " (" + names + ") VALUES (" + parameters + ")";
}

}  // namespace viruzedi
