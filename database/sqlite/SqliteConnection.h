// One open SQLite file of the engine: the open with its checks and error
// numbers, the tables' declared schema, the cache of prepared INSERTs and
// durability. Held by the sessions (SqliteSession) of the Databases that
// this thread opens on the file; the last one to let go closes it.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/ColumnValue.h"
#include "database/TableSchema.h"
#include "database/sqlite/SqliteStatement.h"


namespace viruzedi {

// Not thread-safe: the thread that opened it (the cache hands it to no other).
class SqliteConnection {
 public:
  // ReadOnlyUnchanging reads a file that no one writes meanwhile without
  // the shared memory of WAL mode (Open picks it for a reader who may not
  // create that memory's file).
  enum class Mode { ReadWrite, ReadOnly, ReadOnlyUnchanging };

  // Opens an existing file, never creating one. ReadWrite turns on WAL mode
  // and synchronous=NORMAL, with a page cache of 256 KiB. Throws 3024, 3045,
  // 3051 (a path SQLite cannot take included: SqlitePathProblem) or 3343
  // (Database.h).
  static std::shared_ptr<SqliteConnection> Open(const std::string& path, Mode mode,
                                                std::chrono::milliseconds busyTimeout);

  // Whether a new open of `path` may be served by this connection instead
  // of a new one: it is open, `path` still names the very file it has open
  // (not one put in its place, nor a file it has open that was deleted or
  // moved away), and neither the file's permissions nor its schema changed
  // since it was opened. Checks the file as Open does and throws what Open
  // would: 3024, 3343 or 3051 for the path, 3045 when another program keeps
  // the file locked past the busy timeout.
  bool StillServes(const std::string& path);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  // Finalises every statement and closes the file; later calls fail with
  // 3420. Closing twice is harmless.
  void Close();
  // Throws 3420 when closed.
  void CheckOpen() const;

  // The table named so without regard to case, its columns read from the
  // declared schema. 3078 when there is none. The reference stays valid
  // until Close.
  const TableSchema& Table(const std::string& name);

  // Inserts one row: `values[i]` into column `columns[i]` of `table` (none:
  // a row of defaults). Returns true when the row was stored, false when a
  // constraint refused it. Throws 3045 when the file stays locked past the
  // busy timeout, 3043 on a disk error, 3000 for anything else SQLite
  // reports.
  bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values);

  void MakeDurable();

  // EngineSession::Run: the statement is prepared once per connection.
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters);
  // EngineSession::CreateLedgerTable.
  void CreateLedgerTable();

  // The transaction of Database::BeginTransaction: BEGIN IMMEDIATE, so the
  // write lock is taken (or 3045) before the first row rather than midway.
  // 3000 when one is open already. Rollback never throws.
  void Begin();
  void Commit();
  void Rollback() noexcept;

  // The open handle, for read-only listings.
  sqlite3* Handle() const { return db_; }
  const std::string& Path() const { return path_; }
  // Throws the engine error that matches an SQLite result code.
  [[noreturn]] void Fail(int resultCode) const;

 private:
  SqliteConnection(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}
  static std::shared_ptr<SqliteConnection> OpenFile(const std::string& path,
                                                    std::filesystem::file_status status,
                                                    Mode mode,
                                                    std::chrono::milliseconds busyTimeout);
  void Exec(const char* sql);
  int64_t SchemaVersion();
  TableSchema* FindTable(const std::string& name);
  void ReadTableNames();
  void ReadColumns(TableSchema& table);
  sqlite3_stmt* PreparedInsert(const TableSchema& table, const std::vector<size_t>& columns);
  // Binds `values` to the parameters of `statement` in order.
  void Bind(sqlite3_stmt* statement, const std::vector<BoundValue>& values);

  std::string path_;
  sqlite3* db_;
  // Columns are read at the first use of a table (every table has one).
  std::vector<std::unique_ptr<TableSchema>> tables_;
  std::map<std::string, SqliteStatement> inserts_;
  std::map<std::string, SqliteStatement> bookkeeping_;  // Run's statements, by text
  // What a later open compares against: the file's permissions and the
  // schema version read at the open, and the statement that reads the
  // version again.
  std::filesystem::perms permissions_ = std::filesystem::perms::unknown;
  int64_t schemaVersion_ = 0;
  SqliteStatement schemaVersionQuery_;
};

// An SQL identifier in double quotes, a double quote inside doubled.
std::string QuoteIdentifier(const std::string& name);

}  // namespace viruzedi
