// The Database and Recordset of the engine on one SQLite connection.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "component/Database.h"
#include "component/SqliteConnection.h"

namespace viruzedi {

class SqliteDatabase : public Database {
 public:
  explicit SqliteDatabase(std::shared_ptr<SqliteConnection> connection)
      : connection_(std::move(connection)) {}
  ~SqliteDatabase() override { connection_->Close(); }

  void Execute(const std::string& statement) override;
  std::unique_ptr<Recordset> OpenRecordset(const std::string& source, int options) override;
  void MakeDurable() override { connection_->MakeDurable(); }
  void Close() override { connection_->Close(); }

 private:
  std::shared_ptr<SqliteConnection> connection_;
};

class SqliteRecordset : public Recordset {
 public:
  SqliteRecordset(std::shared_ptr<SqliteConnection> connection, const TableSchema& table)
      : connection_(std::move(connection)), table_(&table) {}

  void AddNew() override;
  void SetCollect(const std::string& field, const Variant& value) override;
  void Update(int type, bool force) override;
  void Close() override;

 private:
  void CheckOpen() const;

  std::shared_ptr<SqliteConnection> connection_;  // null once closed
  const TableSchema* table_;
  // The row being added, by column index (ordered, so that rows setting the
  // same fields share one prepared INSERT); none outside AddNew..Update.
  std::optional<std::map<size_t, BoundValue>> newRow_;
};

}  // namespace viruzedi
