// The tables found by name, the transaction, the bookkeeping statements and
// the making of tables; the writing of rows is in RowWriting.cc.
#include "database/Connection.h"

#include "base/Errors.h"
#include "base/NameFolding.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

bool SameTable(const CatalogTable& a, const CatalogTable& b) {
  return a.name == b.name && a.schema == b.schema && a.catalog == b.catalog && a.id == b.id;
}

std::vector<const KnownTable*> Pointers(const std::vector<std::shared_ptr<KnownTable>>& tables) {
  std::vector<const KnownTable*> pointers;
  for (const std::shared_ptr<KnownTable>& table : tables) pointers.push_back(table.get());
  return pointers;
}

}  // namespace

const CatalogTable* ChooseTable(const std::vector<CatalogTable>& tables, const std::string& name) {
  const std::string folded = FoldName(name);
  const CatalogTable* first = nullptr;
  for (const CatalogTable& table : tables) {
    if (FoldName(table.name) != folded) continue;
    if (first == nullptr || table.place < first->place) first = &table;
  }
  if (first == nullptr) return nullptr;
  const CatalogTable* only = nullptr;
  int matches = 0;
  for (const CatalogTable& table : tables) {
    if (table.place != first->place) continue;
    if (table.name == name) return &table;
    if (FoldName(table.name) == folded) {
      only = &table;
      ++matches;
    }
  }
  return matches == 1 ? only : nullptr;
}

Connection::Connection(std::unique_ptr<EngineConnection> engine) : engine_(std::move(engine)) {}

Connection::~Connection() = default;

std::shared_ptr<const KnownTable> Connection::Table(const std::string& name) {
  std::shared_ptr<const KnownTable> table = FindTable(name);
  if (!table) RaiseDatabaseError(kDbTableNotFound, name);
  return table;
}

std::shared_ptr<const KnownTable> Connection::FindTable(const std::string& name) {
  auto asked = byName_.find(name);
  if (asked != byName_.end()) return asked->second;
  // Not kept when missing: a table made meanwhile is found by the next look.
  const std::vector<CatalogTable> tables = engine_->Tables();
  const CatalogTable* chosen = ChooseTable(tables, name);
  if (chosen == nullptr) return nullptr;
  for (const std::shared_ptr<KnownTable>& known : known_) {
    if (SameTable(known->where, *chosen)) return byName_[name] = known;
  }
  auto table = std::make_shared<KnownTable>();
  table->where = *chosen;
  engine_->ReadTable(*table);
  known_.push_back(table);
  return byName_[name] = table;
}

void Connection::ForgetChangedTables() {
  if (open_ || known_.empty()) return;
  const std::vector<std::string> versions = engine_->TableVersions(Pointers(known_));
  bool unchanged = versions.size() == known_.size();
  for (size_t i = 0; unchanged && i < versions.size(); ++i) {
    unchanged = versions[i] == known_[i]->version;
  }
  if (unchanged) return;
  // Those handed out stay valid for whoever holds them; the next lookup
  // reads the tables anew.
  byName_.clear();
  known_.clear();
  engine_->ForgetStatements();
}

void Connection::RememberVersions() {
  if (known_.empty()) return;
  const std::vector<std::string> versions = engine_->TableVersions(Pointers(known_));
  for (size_t i = 0; i < versions.size() && i < known_.size(); ++i) {
    known_[i]->version = versions[i];
  }
}

void Connection::Begin() {
  if (open_) RaiseDatabaseError(kDbOtherError, "transazione già aperta");
  engine_->Begin();
  open_ = true;
  rowByRow_ = false;
  sources_.clear();
  counted_ = 0;
}

void Connection::Commit() {
  open_ = false;
  sources_.clear();
  engine_->Commit();
}

void Connection::Rollback() noexcept {
  open_ = false;
  sources_.clear();
  engine_->Rollback();
}

std::vector<std::vector<std::string>> Connection::Run(const std::string& sql,
                                                      const std::vector<BoundValue>& parameters) {
  // A redo could not repeat the statement: no row after it may need one.
  if (open_ && engine_->RefusalEndsTransaction()) rowByRow_ = true;
  return engine_->Run(sql, parameters);
}

void Connection::CheckWritable(const std::string& name, const std::vector<std::string>& columns) {
  std::shared_ptr<const KnownTable> table = Table(name);
  std::vector<size_t> found;
  for (const std::string& column : columns) {
    std::optional<size_t> index = table->schema.FindColumn(column);
    if (!index) RaiseDatabaseError(kDbUnknownColumn, column);
    found.push_back(*index);
  }
  for (size_t index : found) {
    const ColumnSchema& column = table->schema.columns[index];
    if (column.onlyNull) RaiseDatabaseError(kDbTypeMismatch, column.name);
  }
  engine_->CheckRights(*table, found, [this] { return FindTable(kLedgerTable).get(); });
}

void Connection::CreateLedgerTable() {
  if (FindTable(kLedgerTable)) return;
  const SqlTypes& types = engine_->LedgerTypes();
  Begin();
  try {
    engine_->LockTableCreation();
    engine_->Execute(CreateTableSql(LedgerDescription(), types, PlainName, true));
    if (types.ifNotExists) engine_->Execute(LedgerIndexSql());
    Commit();
  } catch (...) {
    Rollback();
    // Without IF NOT EXISTS, another program may have made it meanwhile:
    // the CREATE then fails here, and the table is there all the same.
    if (!FindTable(kLedgerTable)) throw;
  }
  // The change is this connection's own: the tables it read still hold.
  RememberVersions();
}

void Connection::CreateTargetTables(const SqlTypes& types, const NameWriter& writeName) {
  std::vector<std::string> made;
  Begin();
  try {
    // One init-db at a time: the second finds the first's tables, 58.
    engine_->LockTableCreation();
    for (const TableDescription& table : TargetTables()) {
      if (FindTable(table.name)) RaiseError(kFileAlreadyExists, engine_->Shown());
    }
    for (const TableDescription& table : TargetTables()) {
      engine_->Execute(CreateTableSql(table, types, writeName, false));
      made.push_back(table.name);
    }
    const SqlTypes& ledger = engine_->LedgerTypes();
    if (!FindTable(kLedgerTable)) {
      engine_->Execute(CreateTableSql(LedgerDescription(), ledger, PlainName, true));
      made.push_back(kLedgerTable);
    }
    if (ledger.ifNotExists) engine_->Execute(LedgerIndexSql());
    Commit();
  } catch (...) {
    Rollback();
    // Where tables are made outside transactions, those made before the
    // failure stay behind it: they are taken away again.
    for (const std::string& name : made) {
      try {
        if (std::shared_ptr<const KnownTable> table = FindTable(name)) {
          engine_->Execute("DROP TABLE " + table->where.sqlName);
        }
      } catch (const AutomationError&) {
      }
    }
    throw;
  }
}

}  // namespace viruzedi
