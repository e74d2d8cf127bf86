// A Database's session on an SQLite file: its share of the connection.
#pragma once

#include <memory>

#include "database/Engine.h"
#include "database/sqlite/SqliteConnection.h"

namespace viruzedi {

// Other sessions of the same file on this thread may hold the same
// connection; it closes the file when the last of them lets it go. Not
// thread-safe, as every EngineSession.
class SqliteSession : public EngineSession {
 public:
  explicit SqliteSession(std::shared_ptr<SqliteConnection> connection)
      : connection_(std::move(connection)) {}

  void CheckOpen() const override;
  const TableSchema& Table(const std::string& name) override;
  bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values) override;
  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  void MakeDurable() override;
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override;
  // Nothing to ask: a file that may not be written is refused at its open.
  void CheckRights(const TableSchema&, const std::vector<size_t>&) override {}
  void CreateLedgerTable() override;
  void Close() noexcept override { connection_.reset(); }

 private:
  SqliteConnection& Connection() const;

  std::shared_ptr<SqliteConnection> connection_;  // null once closed
};

}  // namespace viruzedi
