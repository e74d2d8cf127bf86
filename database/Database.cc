#include "database/Database.h"

#include "database/AppendOnlyRecordset.h"
#include "database/ConnectionReuse.h"
#include "database/DatabaseMessages.h"
#include "database/DatabaseSession.h"
#include "database/Engine.h"
#include "database/Row.h"
#include "database/StatementParser.h"
#include "database/TableSchema.h"

namespace viruzedi {

Database::Database(std::shared_ptr<Connection> connection,
                   std::shared_ptr<DatabaseSettings> settings, std::string name)
    : session_(std::make_shared<DatabaseSession>(std::move(connection), std::move(settings))),
      name_(std::move(name)) {}

Database::~Database() { Close(); }

void Database::InsertRow(const Row& row) {
  std::shared_ptr<const KnownTable> table = session_->Table(row.table);
  BoundRow bound = BindRow(table->schema, row);
  session_->Insert(*table, bound.columns, bound.values);
}

void Database::InsertRows(RowSource& rows) {
  Connection& connection = session_->Open();
  if (!session_->tablesChecked) {
    connection.ForgetChangedTables();
    session_->tablesChecked = true;
  }
  connection.InsertRows(rows, *session_);
}

uint64_t Database::CheckRows(RowSource& rows) {
  Connection& connection = session_->Open();
  if (!session_->tablesChecked) {
    connection.ForgetChangedTables();
    session_->tablesChecked = true;
  }
  return connection.CheckRows(rows);
}

void Database::Execute(const std::string& statement) {
  InsertRow(RowOfStatement(ParseInsert(statement)));
}

std::unique_ptr<Recordset> Database::OpenRecordset(const std::string& source, int) {
  session_->Open();
  std::string name = ParseSelectAll(source);
  return std::make_unique<AppendOnlyRecordset>(session_, session_->Table(name));
}

void Database::MakeDurable() { session_->Open().engine().MakeDurable(); }

void Database::Close() {
  // The connection may stay open for other Databases of the same database:
  // what this one began must not stay open under them.
  RollbackTransaction();
  session_->Close();
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
  if (session_->connection) session_->connection->Rollback();
}

TableSchema Database::Schema(const std::string& name) { return session_->Table(name)->schema; }

void Database::CheckWritable(const std::string& name, const std::vector<std::string>& columns) {
  Connection& connection = session_->Open();
  session_->Table(name);  // the tables checked as at any first lookup
  connection.CheckWritable(name, columns);
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
  return std::make_unique<Database>(
      OpenConnection(chosen.engine, chosen.value, settings->busyTimeout), settings, chosen.value);
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
      OpenConnection(chosen.engine, chosen.value, settings.busyTimeout),
      std::shared_ptr<DatabaseSettings>(std::shared_ptr<void>(), &settings), chosen.value);
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& name) {
  auto settings = std::make_shared<DatabaseSettings>();
  ChosenEngine chosen = EngineFor(name);
  return std::make_unique<Database>(
      OpenConnection(chosen.engine, chosen.value, settings->busyTimeout), settings, chosen.value);
}

void DBEngine::CreateTargetDatabase(const std::string& name) {
  ChosenEngine chosen = EngineFor(name);
  chosen.engine.CreateTargetDatabase(chosen.value);
}

}  // namespace viruzedi
