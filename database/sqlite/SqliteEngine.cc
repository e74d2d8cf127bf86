#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/SqlText.h"
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
    sql += CreateTableSql(table, kSqliteTypes, QuoteName, false) + ";";
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

// The engine of SQLite files: a database value is the file's path. It
// holds nothing: each connection it makes serves the thread that made it.
class SqliteEngine : public Engine {
 public:
  // The file's absolute path, so that a relative name read in another
  // working folder names another file.
  std::string ReuseKey(const std::string& name) override {
    if (name.empty()) return {};
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(name, error);
    return error ? std::string() : absolute.lexically_normal().string();
  }
  std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                            std::chrono::milliseconds busyTimeout) override {
    return OpenSqliteFile(name, false, busyTimeout);
  }
  std::unique_ptr<EngineConnection> ConnectToRead(const std::string& name,
                                                  std::chrono::milliseconds busyTimeout) override {
    return OpenSqliteFile(name, true, busyTimeout);
  }
  void CreateTargetDatabase(const std::string& name) override;
};

}  // namespace

Engine& SqliteFileEngine() {
  static SqliteEngine engine;
  return engine;
}

// The file is made with an exclusive create, so that an existing one (made
// even a moment ago by someone else) is never taken over: 58 when it exists,
// 76 when its folder is missing, 70 when the folder cannot be written, 3043
// for a path SQLite cannot take or a failure to write it.
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
