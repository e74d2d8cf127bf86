#include "database/sqlite/SqliteEngine.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/DatabaseMessages.h"
#include "database/LedgerTable.h"
#include "database/sqlite/SqliteConnection.h"
#include "database/sqlite/SqliteConnectionCache.h"
#include "database/sqlite/SqlitePath.h"
#include "database/sqlite/SqliteSession.h"

namespace viruzedi {
namespace {

// The two tables of a target database, with the names and types the imports
// write (UTF-8 names, as every text of the component). The import ledger's
// table comes with them.
constexpr const char* kTargetTables =
    "CREATE TABLE Viruzedi (Codart TEXT, IdLotto INTEGER, [Id SottoOrd] INTEGER, "
    "Quantità REAL, Data DATE, Rep INTEGER, NColli TEXT, Lotto_Codice TEXT, "
    "Lotto_Scadenza DATE, SSCC TEXT);"
    "CREATE TABLE Viruzedi_RimesseOF (IdUt INTEGER, IdSottoORd INTEGER, "
    "Qtà REAL, NDoc TEXT, DataDoc DATE);";

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

std::unique_ptr<EngineSession> SqliteEngine::OpenSession(const std::string& name,
                                                         std::chrono::milliseconds busyTimeout) {
  std::shared_ptr<SqliteConnection> connection = connections_.Find(name, busyTimeout);
  if (!connection) {
    connection = SqliteConnection::Open(name, SqliteConnection::Mode::ReadWrite, busyTimeout);
    connections_.Remember(name, busyTimeout, connection);
  }
  return std::make_unique<SqliteSession>(std::move(connection));
}

void SqliteEngine::CreateTargetDatabase(const std::string& name) {
  // The file is made with an exclusive create, so an existing file (made
  // even a moment ago by someone else) is never taken over. SQLite reads the
  // empty file as an empty database.
  const std::string shown = MaskPasswords(name);
  if (std::string problem = SqlitePathProblem(name); !problem.empty()) {
    throw AutomationError(kDbDiskError,
                          "Impossibile creare il database '" + shown + "': " + problem + ".");
  }
  std::FILE* file = std::fopen(name.c_str(), "wbx");
  if (file == nullptr) {
    switch (errno) {
      case EEXIST: RaiseError(kFileAlreadyExists, shown);
      case ENOENT:
      case ENOTDIR: RaiseError(kPathNotFound, shown);
      default: RaiseError(kPermissionDenied, shown);
    }
  }
  std::fclose(file);

  sqlite3* db = nullptr;
  int result = sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (result == SQLITE_OK) {
    result = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  }
  if (result == SQLITE_OK) {
    // One transaction: the file holds both tables or, after a failure, is gone.
    std::string sql = std::string("BEGIN;") + kTargetTables +
                      LedgerTableSql(kSqliteLedgerTypes) + ";" +
                      LedgerIndexSql() + ";COMMIT;";
    result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result);
  sqlite3_close_v2(db);
  if (result != SQLITE_OK) {
    RemoveDatabaseFiles(name);
    RaiseDatabaseError(kDbDiskError, "'" + shown + "' (" + message + ")");
  }
}

}  // namespace viruzedi
