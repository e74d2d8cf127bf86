#include "database/sqlite/SqliteEngine.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/TargetTables.h"
#include "database/sqlite/SqliteConnection.h"
#include "database/sqlite/SqlitePath.h"

namespace viruzedi {
namespace {

// The component's tables in one transaction: the file holds them all or,
// after a failure, is gone.
std::string TablesSql() {
  std::string sql = "BEGIN;";
  for (const TableDescription& table : TargetTables()) {
    sql += CreateTableSql(table, kSqliteTypes, QuoteIdentifier, false) + ";";
  }
  return sql + CreateTableSql(LedgerDescription(), kSqliteTypes, PlainName, true) + ";" +
         LedgerIndexSql() + ";COMMIT;";
}

void RemoveDatabaseFiles(const std::string& name) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(name + suffix, ignored);
  }
}

}  // namespace

Engine& SqliteFileEngine() {
  static SqliteEngine engine;
  return engine;
}

std::string SqliteEngine::ReuseKey(const std::string& name) {
  if (name.empty()) return {};
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(name, error);
  return error ? std::string() : absolute.lexically_normal().string();
}

std::unique_ptr<EngineConnection> SqliteEngine::Connect(const std::string& name,
                                                        std::chrono::milliseconds busyTimeout) {
  return SqliteConnection::Open(name, SqliteConnection::Mode::ReadWrite, busyTimeout);
}

std::unique_ptr<EngineConnection> SqliteEngine::ConnectToRead(
    const std::string& name, std::chrono::milliseconds busyTimeout) {
  return SqliteConnection::Open(name, SqliteConnection::Mode::ReadOnly, busyTimeout);
}

void SqliteEngine::CreateTargetDatabase(const std::string& name) {
  // SQLite reads the empty file it is given as an empty database.
  const std::string shown = MaskPasswords(name);
  if (std::string problem = SqlitePathProblem(name); !problem.empty()) {
    throw AutomationError(kDbDiskError,
                          "Impossibile creare il database '" + shown + "': " + problem + ".");
  }
  std::FILE* file = std::fopen(name.c_str(), "wbx");
  if (file == nullptr) {
    switch (errno) {
      case EEXIST:
        RaiseError(kFileAlreadyExists, shown);
      case ENOENT:
      case ENOTDIR:
        RaiseError(kPathNotFound, shown);
      default:
        RaiseError(kPermissionDenied, shown);
    }
  }
  std::fclose(file);

  sqlite3* db = nullptr;
  int result = sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (result == SQLITE_OK) {
    result = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  }
  if (result == SQLITE_OK)
    result = sqlite3_exec(db, TablesSql().c_str(), nullptr, nullptr, nullptr);
  std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result);
  sqlite3_close_v2(db);
  if (result != SQLITE_OK) {
    RemoveDatabaseFiles(name);
    RaiseDatabaseError(kDbDiskError, "'" + shown + "' (" + message + ")");
  }
}

}  // namespace viruzedi
