// One open SQLite file of the engine: the open with its checks and error
// numbers, the tables' declared schema, the prepared INSERTs and
// durability. The layer in database/ shares it among the Databases that
// this thread opens on the file; the last one to let go closes it.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/Engine.h"
#include "database/sqlite/SqliteStatement.h"

namespace viruzedi {

class SqliteConnection : public EngineConnection {
 public:
  // ReadOnlyUnchanging reads a file that no one writes meanwhile without
  // the shared memory of WAL mode (Open picks it for a reader who may not
  // create that memory's file).
  enum class Mode { ReadWrite, ReadOnly, ReadOnlyUnchanging };

  // Opens an existing file, never creating one. ReadWrite turns on WAL mode
  // and synchronous=NORMAL, with a page cache of 256 KiB. Throws 3024, 3045,
  // 3051 (a path SQLite cannot take included: SqlitePathProblem) or 3343
  // (Database.h).
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
  std::vector<std::string> TableVersions(const std::vector<const KnownTable*>& tables) override;
  void ForgetStatements() override { inserts_.clear(); }

  // No refusal ends a transaction: a batch always goes whole.
  BatchOutcome Send(const RowBatch& batch) override;
  // The statement is prepared once per connection.
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override;
  void Execute(const std::string& sql) override;

  // BEGIN IMMEDIATE: the write lock is taken (or 3045) before the first
  // row rather than midway.
  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  void RestartTransaction() override;
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

// An SQL identifier in double quotes, a double quote inside doubled.
std::string QuoteIdentifier(const std::string& name);

}  // namespace viruzedi
