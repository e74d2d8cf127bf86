#include "database/Database.h"

#include "database/AppendOnlyRecordset.h"
#include "database/DatabaseMessages.h"
#include "database/Engine.h"
#include "database/Row.h"
#include "database/StatementParser.h"
#include "database/TableSchema.h"

namespace viruzedi {

Database::Database(std::unique_ptr<EngineSession> session,
                   std::shared_ptr<DatabaseSettings> settings, std::string name)
    : session_(std::make_shared<DatabaseSession>(
          DatabaseSession{std::move(session), std::move(settings)})),
      name_(std::move(name)) {}

Database::~Database() { Close(); }

void Database::InsertRow(const Row& row) {
  const TableSchema& table = session_->Open().Table(row.table);
  BoundRow bound = BindRow(table, row);
  session_->Insert(table, bound.columns, bound.values);
}

void Database::Execute(const std::string& statement) {
  InsertRow(RowOfStatement(ParseInsert(statement)));
}

std::unique_ptr<Recordset> Database::OpenRecordset(const std::string& source, int) {
  EngineSession& engine = session_->Open();
  std::string name = ParseSelectAll(source);
  return std::make_unique<AppendOnlyRecordset>(session_, engine.Table(name));
}

void Database::MakeDurable() { session_->Open().MakeDurable(); }

void Database::Close() {
  // The engine may keep the connection open for other Databases of the same
  // database: what this one began must not stay open under them.
  RollbackTransaction();
  session_->engine->Close();
}

void Database::BeginTransaction() {
  session_->Open().Begin();
  session_->inTransaction = true;
}

void Database::CommitTransaction() {
  session_->Open().Commit();
  session_->inTransaction = false;
}

void Database::RollbackTransaction() noexcept {
  if (!session_->inTransaction) return;
  session_->inTransaction = false;
  session_->engine->Rollback();
}

TableSchema Database::Schema(const std::string& name) { return session_->Open().Table(name); }

void Database::CheckWritable(const std::string& name, const std::vector<std::string>& columns) {
  EngineSession& engine = session_->Open();
  const TableSchema& table = engine.Table(name);
  std::vector<size_t> found;
  for (const std::string& column : columns) {
    std::optional<size_t> index = table.FindColumn(column);
    if (!index) RaiseDatabaseError(kDbUnknownColumn, column);
    found.push_back(*index);
  }
  for (size_t index : found) {
    const ColumnSchema& column = table.columns[index];
    if (column.onlyNull) RaiseDatabaseError(kDbTypeMismatch, column.name);
  }
  engine.CheckRights(table, found);
}

uint64_t Database::RowsRefused() const { return session_->rowsRefused; }

void Database::ExpectRows(uint64_t rows) { session_->settings->ExpectRows(rows); }

std::vector<std::vector<std::string>> Database::Run(const std::string& sql,
                                                    const std::vector<BoundValue>& parameters) {
  return session_->Open().Run(sql, parameters);
}

void Database::CreateLedgerTable() { session_->Open().CreateLedgerTable(); }

std::unique_ptr<Database> Database::Reopen() {
  std::shared_ptr<DatabaseSettings>& settings = session_->settings;
  ChosenEngine chosen = EngineFor(name_);
  return std::make_unique<Database>(chosen.engine.OpenSession(chosen.value, settings->busyTimeout),
                                    settings, chosen.value);
}

DBEngine& DBEngine::Instance() {
  static DBEngine engine;
  return engine;
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& name,
                                                 DatabaseSettings& settings) {
  // The caller owns the settings: the Database only refers to them.
  ChosenEngine chosen = EngineFor(name);
  return std::make_unique<Database>(
      chosen.engine.OpenSession(chosen.value, settings.busyTimeout),
      std::shared_ptr<DatabaseSettings>(std::shared_ptr<void>(), &settings), chosen.value);
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& name) {
  auto settings = std::make_shared<DatabaseSettings>();
  ChosenEngine chosen = EngineFor(name);
  return std::make_unique<Database>(chosen.engine.OpenSession(chosen.value, settings->busyTimeout),
                                    settings, chosen.value);
}

void DBEngine::CreateTargetDatabase(const std::string& name) {
  ChosenEngine chosen = EngineFor(name);
  chosen.engine.CreateTargetDatabase(chosen.value);
}

}  // namespace viruzedi
