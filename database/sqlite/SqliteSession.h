// The Database and Recordset of the engine on one SQLite connection.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "database/Database.h"
#include "database/sqlite/SqliteConnection.h"

namespace viruzedi {

// What a Database shares with its record sets: the connection, until the
// Database is closed or destroyed. Other Databases of the same file may
// share the connection itself; it closes the file when the last of them
// lets it go.
struct DatabaseSession {
  std::shared_ptr<SqliteConnection> connection;  // null once closed
  std::shared_ptr<DatabaseSettings> settings;
  uint64_t rowsRefused = 0;
  bool inTransaction = false;  // begun through this session

  // The open connection; 3420 once closed.
  SqliteConnection& Connection() const;
  // Inserts one row through the connection and counts it: stored (told to
  // the settings) or refused by a constraint.
  void Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values);
};

// Not thread-safe, as every Database.
class SqliteDatabase : public Database {
 public:
  SqliteDatabase(std::shared_ptr<SqliteConnection> connection,
                 std::shared_ptr<DatabaseSettings> settings)
      : session_(std::make_shared<DatabaseSession>(
            DatabaseSession{std::move(connection), std::move(settings)})) {}
  ~SqliteDatabase() override { Close(); }

  void InsertRow(const Row& row) override;
  std::unique_ptr<Recordset> OpenRecordset(const std::string& source, int options) override;
  void MakeDurable() override { session_->Connection().MakeDurable(); }
  void Close() override;
  void BeginTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() noexcept override;
  TableSchema Schema(const std::string& table) override;
  uint64_t RowsRefused() const override { return session_->rowsRefused; }

 private:
  std::shared_ptr<DatabaseSession> session_;
};

// Not thread-safe, as every Recordset.
class SqliteRecordset : public Recordset {
 public:
  SqliteRecordset(std::shared_ptr<DatabaseSession> session, const TableSchema& table)
      : session_(std::move(session)), table_(&table) {}

  void AddNew() override;
  void SetCollect(const std::string& field, const Variant& value) override;
  void Update(int type, bool force) override;
  void Close() override;

 private:
  SqliteConnection& Connection() const;

  std::shared_ptr<DatabaseSession> session_;  // null once closed
  // Valid while the session's connection is open: the connection keeps its
  // tables' schema until it closes.
  const TableSchema* table_;
  // The row being added, by column index (ordered, so that rows setting the
  // same fields share one prepared INSERT); none outside AddNew..Update.
  std::optional<std::map<size_t, BoundValue>> newRow_;
};

}  // namespace viruzedi
