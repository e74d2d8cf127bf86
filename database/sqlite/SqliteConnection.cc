#include "database/sqlite/SqliteConnection.h"

#include <sqlite3.h>

#include <cctype>
#include <charconv>
#include <filesystem>
#include <map>
#include <vector>

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/SqlText.h"
#include "database/sqlite/SqlitePath.h"
#include "database/sqlite/SqliteStatement.h"

namespace viruzedi {
namespace {

// A cap on the prepared INSERTs kept: the imports use a handful of column
// lists, so the cap only matters to a caller that varies them endlessly.
constexpr size_t kMostCachedInserts = 64;

// A stored value as the listing shows it.
std::string CellText(sqlite3_stmt* row, int column) {
  switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
      return "";
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(row, column));
    case SQLITE_FLOAT: {
      char buffer[32];
      auto [end, error] =
          std::to_chars(buffer, buffer + sizeof buffer, sqlite3_column_double(row, column));
      return error == std::errc() ? std::string(buffer, end) : "?";
    }
    case SQLITE_BLOB:
      return "<" + std::to_string(sqlite3_column_bytes(row, column)) + " byte>";
    default:
      return std::string(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                         static_cast<size_t>(sqlite3_column_bytes(row, column)));
  }
}

// The connection OpenSqliteFile makes.
class SqliteConnection : public EngineConnection {
 public:
  // ReadOnlyUnchanging reads a file that no one writes meanwhile without
  // the shared memory of WAL mode (Open picks it for a reader who may not
  // create that memory's file).
  enum class Mode { ReadWrite, ReadOnly, ReadOnlyUnchanging };

  // OpenSqliteFile.
  static std::unique_ptr<SqliteConnection> Open(const std::string& path, Mode mode,
                                                std::chrono::milliseconds busyTimeout);
  ~SqliteConnection() override;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  const std::string& Shown() const override { return shown_; }
  // True while `path` still names the very file this connection has open
  // (not one put in its place, nor a file it has open that was deleted or
  // moved away) and the file's permissions are as they were at the open.
  // Checks the file as Open does and throws what Open would: 3024, 3343 or
  // 3051 for the path, 3045 when another program keeps the file locked
  // past the busy timeout.
  bool StillServes(const std::string& path, bool inTransaction) override;

  // The tables of the file, each named as declared; their columns come
  // from the declared schema, and a table's version is the file's schema
  // version.
  std::vector<CatalogTable> Tables() override;
  void ReadTable(KnownTable& table) override;
  // Any change of the schema changes its one version.
  std::vector<std::string> TableVersions(const std::vector<const KnownTable*>& tables) override {
    return std::vector<std::string>(tables.size(), std::to_string(SchemaVersion()));
  }
  void ForgetStatements() override { inserts_.clear(); }

  // No refusal ends a transaction: a batch always goes whole.
  BatchOutcome Send(const RowBatch& batch) override;
  // The statement is prepared once per connection.
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override;
  void Execute(const std::string& sql) override { Exec(sql.c_str()); }

  // BEGIN IMMEDIATE: the write lock is taken (or 3045) before the first
  // row rather than midway.
  void Begin() override { Exec("BEGIN IMMEDIATE"); }
  void Commit() override;
  void Rollback() noexcept override {
    if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void RestartTransaction() override {
    Rollback();
    Begin();
  }
  bool RefusalEndsTransaction() const override { return false; }
  void MakeDurable() override;

  // Nothing to ask: a file that may not be written is refused at its open.
  void CheckRights(const KnownTable&, const std::vector<size_t>&,
                   const std::function<const KnownTable*()>&) override {}
  const SqlTypes& LedgerTypes() const override { return kSqliteTypes; }
  // BEGIN IMMEDIATE has the file's write lock already.
  void LockTableCreation() override {}
  void ListRows(const KnownTable& table, size_t most, std::vector<std::vector<std::string>>& rows,
                int64_t& count) override;

  // Throws the engine error that matches an SQLite result code.
  [[noreturn]] void Fail(int resultCode) const;

 private:
  SqliteConnection(std::string path, sqlite3* db);
  static std::unique_ptr<SqliteConnection> OpenFile(const std::string& path,
                                                    std::filesystem::file_status status, Mode mode,
                                                    std::chrono::milliseconds busyTimeout);
  void Exec(const char* sql);
  SqliteStatement Prepare(const std::string& sql);
  int64_t SchemaVersion();
  sqlite3_stmt* PreparedInsert(const RowBatch& batch);
  // Binds `count` values from `values` to the parameters of `statement`.
  void Bind(sqlite3_stmt* statement, const BoundValue* values, size_t count);

  std::string path_;
  std::string shown_;
  sqlite3* db_;
  std::map<std::string, SqliteStatement> inserts_;
  std::map<std::string, SqliteStatement> bookkeeping_;  // Run's statements, by text
  // What a later open compares against: the file's permissions at the open.
  std::filesystem::perms permissions_ = std::filesystem::perms::unknown;
  SqliteStatement schemaVersionQuery_;
};

}  // namespace

SqliteConnection::SqliteConnection(std::string path, sqlite3* db)
    : path_(std::move(path)), shown_(MaskPasswords(path_)), db_(db) {}

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path, Mode mode,
                                                         std::chrono::milliseconds busyTimeout) {
  if (std::string problem = SqlitePathProblem(path); !problem.empty()) {
    throw AutomationError(kDbCannotOpen,
                          "Impossibile aprire il file '" + path + "': " + problem + ".");
  }
  std::filesystem::file_status status = CheckedFileStatus(path);

  if (mode == Mode::ReadOnly) {
    try {
      return OpenFile(path, status, mode, busyTimeout);
    } catch (const AutomationError& error) {
      // A file in WAL mode is read through its shared-memory file, which a
      // reader who may not write the folder cannot create. Without a WAL
      // file every row is in the database file itself, and reading it as
      // unchanging needs no shared memory.
      std::error_code ignored;
      if (error.number != kDbCannotOpen || std::filesystem::exists(path + "-wal", ignored)) throw;
      return OpenFile(path, status, Mode::ReadOnlyUnchanging, busyTimeout);
    }
  }
  return OpenFile(path, status, mode, busyTimeout);
}

std::unique_ptr<SqliteConnection> SqliteConnection::OpenFile(
    const std::string& path, std::filesystem::file_status status, Mode mode,
    std::chrono::milliseconds busyTimeout) {
  // A relative name that starts with "file:" must never be read as a URI.
  std::string sqlitePath = path.rfind("file:", 0) == 0 ? "./" + path : path;
  int flags = mode == Mode::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
  // A connection serves the one thread that opened it (ConnectionReuse.h):
  // SQLite need not lock it around every call.
  flags |= SQLITE_OPEN_NOMUTEX;
  if (mode == Mode::ReadOnlyUnchanging) {
    flags |= SQLITE_OPEN_URI;
    sqlitePath = "file:" + UriPath(std::filesystem::absolute(path).string()) + "?immutable=1";
  }
  sqlite3* db = nullptr;
  int result = sqlite3_open_v2(sqlitePath.c_str(), &db, flags, nullptr);
  std::unique_ptr<SqliteConnection> connection(new SqliteConnection(path, db));
  if (result != SQLITE_OK) connection->Fail(result);
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, static_cast<int>(busyTimeout.count()));
  // SQLite falls back to reading only when the file is write-protected; the
  // imports need to write, so that is a failure to open.
  if (mode == Mode::ReadWrite && sqlite3_db_readonly(db, "main") == 1) {
    RaiseDatabaseError(kDbCannotOpen, path);
  }
  // The first read of the file tells a database from any other file, and a
  // file that another program holds locked.
  connection->Tables();
  if (mode == Mode::ReadWrite) {
    connection->Exec("PRAGMA journal_mode=WAL");
    connection->Exec("PRAGMA synchronous=NORMAL");
    // The engine only appends: a statement touches the schema and the
    // rightmost pages of a table, and no row is ever read back. A small
    // cache holds all of that, and memory stays flat however many rows an
    // import writes (SQLite's default cache would fill with pages never
    // needed again).
    connection->Exec("PRAGMA cache_size=-256");
  }
  connection->permissions_ = status.permissions();
  return connection;
}

bool SqliteConnection::StillServes(const std::string& path, bool) {
  namespace fs = std::filesystem;
  std::filesystem::file_status status = CheckedFileStatus(path);
  // A file made read-only since: a new open would refuse it, so this one
  // must not write to it either.
  if (status.permissions() != permissions_) return false;
  // SQLite tells whether the name it opened still leads to the file it has
  // open; `path` must lead to that same name (a symbolic link may have been
  // turned elsewhere). The open file keeps its inode taken, so a new file
  // can never pass for it.
  int moved = 1;
  if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved) {
    return false;
  }
  const char* opened = sqlite3_db_filename(db_, "main");
  if (opened == nullptr) return false;
  std::error_code error;
  fs::path absolute = fs::absolute(path, error).lexically_normal();
  if (error || absolute != opened) {
    if (!fs::equivalent(path, opened, error) || error) return false;
  }
  // The first read a new open would make: it meets another program's lock
  // the same way.
  SchemaVersion();
  return true;
}

int64_t SqliteConnection::SchemaVersion() {
  if (schemaVersionQuery_ == nullptr) {
    sqlite3_stmt* raw = nullptr;
    int result = sqlite3_prepare_v3(db_, "PRAGMA schema_version", -1, SQLITE_PREPARE_PERSISTENT,
                                    &raw, nullptr);
    schemaVersionQuery_.reset(raw);
    if (result != SQLITE_OK) Fail(result);
  }
  sqlite3_stmt* query = schemaVersionQuery_.get();
  int result = sqlite3_step(query);
  int64_t version = result == SQLITE_ROW ? sqlite3_column_int64(query, 0) : 0;
  sqlite3_reset(query);
  if (result != SQLITE_ROW) Fail(result);
  return version;
}

SqliteConnection::~SqliteConnection() {
  inserts_.clear();
  bookkeeping_.clear();
  schemaVersionQuery_.reset();
  sqlite3_close_v2(db_);
}

void SqliteConnection::Fail(int resultCode) const {
  std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(resultCode);
  switch (resultCode & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      RaiseDatabaseError(kDbLocked, path_);
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      RaiseDatabaseError(kDbCannotOpen, path_);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      RaiseDatabaseError(kDbNotADatabase, path_);
    case SQLITE_IOERR:
    case SQLITE_FULL:
      RaiseDatabaseError(kDbDiskError, "'" + MaskPasswords(path_) + "' (" + message + ")");
    default:
      RaiseDatabaseError(kDbOtherError, message);
  }
}

void SqliteConnection::Exec(const char* sql) {
  int result = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) Fail(result);
}

SqliteStatement SqliteConnection::Prepare(const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr);
  SqliteStatement statement(raw);
  if (result != SQLITE_OK) Fail(result);
  return statement;
}

std::vector<CatalogTable> SqliteConnection::Tables() {
  SqliteStatement statement = Prepare(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
      "ESCAPE '\\'");
  std::vector<CatalogTable> tables;
  int result;
  while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
    CatalogTable& table = tables.emplace_back();
    table.name.assign(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)),
                      static_cast<size_t>(sqlite3_column_bytes(statement.get(), 0)));
    table.sqlName = QuoteName(table.name);
  }
  if (result != SQLITE_DONE) Fail(result);
  return tables;
}

void SqliteConnection::ReadTable(KnownTable& table) {
  table.schema.name = table.where.name;
  SqliteStatement statement = Prepare("PRAGMA table_info(" + table.where.sqlName + ")");
  sqlite3_stmt* raw = statement.get();
  auto text = [raw](int column) {
    const unsigned char* value = sqlite3_column_text(raw, column);
    return value == nullptr ? std::string()
                            : std::string(reinterpret_cast<const char*>(value),
                                          static_cast<size_t>(sqlite3_column_bytes(raw, column)));
  };
  int result;
  while ((result = sqlite3_step(raw)) == SQLITE_ROW) {
    ColumnSchema column;
    column.name = text(1);
    column.declaredType = text(2);
    column.kind = KindOfDeclaredType(column.declaredType);
    table.schema.columns.push_back(std::move(column));
  }
  if (result != SQLITE_DONE) Fail(result);
  table.version = std::to_string(SchemaVersion());
}

sqlite3_stmt* SqliteConnection::PreparedInsert(const RowBatch& batch) {
  std::string sql = InsertSql(batch, QuoteName, [](size_t) { return std::string("?"); });
  auto cached = inserts_.find(sql);
  if (cached != inserts_.end()) return cached->second.get();
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
  SqliteStatement statement(raw);
  if (result != SQLITE_OK) Fail(result);
  if (inserts_.size() >= kMostCachedInserts) inserts_.clear();
  return inserts_.emplace(std::move(sql), std::move(statement)).first->second.get();
}

void SqliteConnection::Bind(sqlite3_stmt* statement, const BoundValue* values, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    int parameter = static_cast<int>(i + 1);
    int result = SQLITE_OK;
    const BoundValue& value = values[i];
    if (const int64_t* integer = std::get_if<int64_t>(&value)) {
      result = sqlite3_bind_int64(statement, parameter, *integer);
    } else if (const double* real = std::get_if<double>(&value)) {
      result = sqlite3_bind_double(statement, parameter, *real);
    } else if (const std::string* text = std::get_if<std::string>(&value)) {
      // The values outlive the step, so SQLite need not copy them.
      result = sqlite3_bind_text64(statement, parameter, text->data(), text->size(), SQLITE_STATIC,
                                   SQLITE_UTF8);
    } else {
      result = sqlite3_bind_null(statement, parameter);
    }
    if (result != SQLITE_OK) {
      sqlite3_clear_bindings(statement);
      Fail(result);
    }
  }
}

BatchOutcome SqliteConnection::Send(const RowBatch& batch) {
  sqlite3_stmt* statement = PreparedInsert(batch);
  BatchOutcome outcome;
  for (size_t row = 0; row < batch.rows; ++row) {
    // Every parameter is bound anew for each row.
    Bind(statement, batch.Row(row), batch.columns.size());
    int result = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (result == SQLITE_DONE) continue;
    if ((result & 0xFF) != SQLITE_CONSTRAINT) {
      sqlite3_clear_bindings(statement);
      Fail(result);
    }
    outcome.refused.push_back(row);
  }
  // The texts bound are the batch's, which will not outlive it.
  sqlite3_clear_bindings(statement);
  return outcome;
}

std::vector<std::vector<std::string>> SqliteConnection::Run(
    const std::string& sql, const std::vector<BoundValue>& parameters) {
  auto cached = bookkeeping_.find(sql);
  if (cached == bookkeeping_.end()) {
    sqlite3_stmt* raw = nullptr;
    int result = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    SqliteStatement statement(raw);
    if (result != SQLITE_OK) Fail(result);
    cached = bookkeeping_.emplace(sql, std::move(statement)).first;
  }
  sqlite3_stmt* statement = cached->second.get();
  Bind(statement, parameters.data(), parameters.size());
  std::vector<std::vector<std::string>> rows;
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      const unsigned char* text = sqlite3_column_text(statement, column);
      row.emplace_back(text == nullptr ? "" : reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(statement, column)));
    }
  }
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  if (result != SQLITE_DONE) Fail(result);
  return rows;
}

void SqliteConnection::Commit() {
  int result = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  if (result == SQLITE_OK) return;
  // A commit that failed may leave the transaction open (a busy commit
  // does): it must not swallow the next operation's rows.
  Rollback();
  Fail(result);
}

void SqliteConnection::MakeDurable() {
  // Commits under synchronous=NORMAL reach the WAL file without a sync. A
  // checkpoint that copies the whole WAL into the database syncs both; but
  // another program reading the file can hold part of the WAL back, and then
  // the checkpoint syncs nothing. So the WAL itself is synced as well: once
  // it is on disk, every committed row survives a crash.
  int result = sqlite3_wal_checkpoint_v2(db_, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  int primary = result & 0xFF;
  if (result != SQLITE_OK && primary != SQLITE_BUSY && primary != SQLITE_LOCKED) Fail(result);
  sqlite3_file* wal = nullptr;
  result = sqlite3_file_control(db_, "main", SQLITE_FCNTL_JOURNAL_POINTER, &wal);
  if (result == SQLITE_OK && wal != nullptr && wal->pMethods != nullptr) {
    result = wal->pMethods->xSync(wal, SQLITE_SYNC_NORMAL);
    if (result != SQLITE_OK) Fail(result);
  }
}

void SqliteConnection::ListRows(const KnownTable& table, size_t most,
                                std::vector<std::vector<std::string>>& rows, int64_t& count) {
  SqliteStatement counted = Prepare("SELECT count(*) FROM " + table.where.sqlName);
  int result = sqlite3_step(counted.get());
  if (result != SQLITE_ROW) Fail(result);
  count = sqlite3_column_int64(counted.get(), 0);

  SqliteStatement select =
      Prepare("SELECT * FROM " + table.where.sqlName + " LIMIT " + std::to_string(most));
  int columns = sqlite3_column_count(select.get());
  while ((result = sqlite3_step(select.get())) == SQLITE_ROW) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (int i = 0; i < columns; ++i) cells.push_back(CellText(select.get(), i));
  }
  if (result != SQLITE_DONE) Fail(result);
}

std::unique_ptr<EngineConnection> OpenSqliteFile(const std::string& path, bool readOnly,
                                                 std::chrono::milliseconds busyTimeout) {
  return SqliteConnection::Open(
      path, readOnly ? SqliteConnection::Mode::ReadOnly : SqliteConnection::Mode::ReadWrite,
      busyTimeout);
}

}  // namespace viruzedi
