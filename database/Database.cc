#include "database/Database.h"

#include "database/DatabaseMessages.h"
#include "database/Engine.h"
#include "database/Row.h"
#include "database/StatementParser.h"
#include "database/TableSchema.h"

namespace viruzedi {

void Database::Execute(const std::string& statement) {
  InsertRow(RowOfStatement(ParseInsert(statement)));
}

void Database::CheckColumns(const std::string& name, const std::vector<std::string>& columns) {
  TableSchema table = Schema(name);
  for (const std::string& column : columns) {
    if (!table.FindColumn(column)) RaiseDatabaseError(kDbUnknownColumn, column);
  }
}

DBEngine& DBEngine::Instance() {
  static DBEngine engine;
  return engine;
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& name,
                                                 DatabaseSettings& settings) {
  // The caller owns the settings: the Database only refers to them.
  return EngineFor(name).OpenDatabase(name, std::shared_ptr<DatabaseSettings>(
                                                std::shared_ptr<void>(), &settings));
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& name) {
  return EngineFor(name).OpenDatabase(name, std::make_shared<DatabaseSettings>());
}

void DBEngine::CreateTargetDatabase(const std::string& name) {
  EngineFor(name).CreateTargetDatabase(name);
}

}  // namespace viruzedi
