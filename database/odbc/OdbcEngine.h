// The engine of ODBC connection strings (DSN=..., Driver=..., FileDSN=...):
// any database a driver reaches; on Windows also every database file,
// through the Access driver.
#pragma once

#include <memory>

#include "database/Engine.h"
#include "database/odbc/OdbcConnection.h"

namespace viruzedi {

// A Database's session through ODBC: its share of this thread's connection.
// Not thread-safe, as every EngineSession.
class OdbcSession : public EngineSession {
 public:
  explicit OdbcSession(std::shared_ptr<OdbcConnection> connection)
      : connection_(std::move(connection)) {}

  void CheckOpen() const override;
  const TableSchema& Table(const std::string& name) override;
  bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values) override;
  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  // Nothing to do: a commit that returned is the database's to keep (a
  // server session commits synchronously where it can be told so).
  void MakeDurable() override;
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override;
  // Nothing asked: drivers tell rights too differently; a refusal shows
  // at the first row (3051 where the driver says 42501).
  void CheckRights(const TableSchema&, const std::vector<size_t>&) override {}
  void CreateLedgerTable() override;
  void Close() noexcept override { connection_.reset(); }

 private:
  OdbcConnection& Connection() const;

  std::shared_ptr<OdbcConnection> connection_;  // null once closed
  // Whether this session made sure that the tables its connection read
  // before are still as they were: at its first table, not at its open, so
  // that an import opening its database for every record pays nothing for
  // opens that never reach a table.
  bool tablesChecked_ = false;
};

// Thread-safe: each thread keeps its own connections.
class OdbcEngine : public Engine {
 public:
  // Serves the open with the connection this thread holds on the same
  // string with the same busy timeout, so the per-record opens of an import
  // do not connect anew; a connection the driver knows to be broken is
  // replaced when no transaction is open on it, and is 3146 inside one.
  std::unique_ptr<EngineSession> OpenSession(const std::string& name,
                                             std::chrono::milliseconds busyTimeout) override;
  // Both tables in one transaction where the database makes tables inside
  // one; 58 when either is there already.
  void CreateTargetDatabase(const std::string& name) override;
  std::vector<TableRows> ListRows(const std::string& name, const std::vector<std::string>& tables,
                                  size_t most, std::chrono::milliseconds busyTimeout) override;
};

}  // namespace viruzedi
