// The engine of PostgreSQL servers: a database value is a libpq connection
// URI (postgresql://... or postgres://...).
#pragma once

#include <memory>

#include "database/Engine.h"
#include "database/postgresql/PgConnection.h"

namespace viruzedi {

// A Database's session on a server: its share of this thread's connection.
// Not thread-safe, as every EngineSession.
class PgSession : public EngineSession {
 public:
  explicit PgSession(std::shared_ptr<PgConnection> connection)
      : connection_(std::move(connection)) {}

  void CheckOpen() const override;
  const TableSchema& Table(const std::string& name) override;
  bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values) override;
  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  // Nothing to do: the session sets synchronous_commit = on, so every
  // commit returned only once the server had its rows on disk.
  void MakeDurable() override;
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override;
  // Asks the server's catalog for the role's rights on the table's
  // columns and on the ledger.
  void CheckRights(const TableSchema& table, const std::vector<size_t>& columns) override;
  void CreateLedgerTable() override;
  void Close() noexcept override { connection_.reset(); }

 private:
  PgConnection& Connection() const;

  std::shared_ptr<PgConnection> connection_;  // null once closed
  // Whether this session made sure that the tables the connection read
  // before are still as they were. Done at the session's first table rather
  // than at its open: an import that opens its database for every record
  // only to see that it is still there must not pay a round trip for it.
  bool tablesChecked_ = false;
};

// Thread-safe: each thread keeps its own connections.
class PgEngine : public Engine {
 public:
  // Serves the open with the connection this thread holds on the same URI
  // with the same busy timeout, so the per-record opens of an import do not
  // connect anew; a connection found broken is replaced when no transaction
  // is open on it, and is 3146 inside one.
  std::unique_ptr<EngineSession> OpenSession(const std::string& name,
                                             std::chrono::milliseconds busyTimeout) override;
  // Both tables in one transaction; 58 when either is there already.
  void CreateTargetDatabase(const std::string& name) override;
  std::vector<TableRows> ListRows(const std::string& name, const std::vector<std::string>& tables,
                                  size_t most, std::chrono::milliseconds busyTimeout) override;
};

}  // namespace viruzedi
