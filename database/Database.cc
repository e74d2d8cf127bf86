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

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& name) {
  return EngineFor(name).OpenDatabase(name, busyTimeout_);
}

void DBEngine::CreateTargetDatabase(const std::string& name) {
  EngineFor(name).CreateTargetDatabase(name);
}

void DBEngine::SetBusyTimeout(std::chrono::milliseconds timeout) { busyTimeout_ = timeout; }

void DBEngine::SetRowObserver(std::function<void(uint64_t)> observer) {
  observer_ = std::move(observer);
}

void DBEngine::NotifyRowStored() {
  ++rowsStored_;
  if (observer_) observer_(rowsStored_);
}

}  // namespace viruzedi
