// One connection of the engine to a PostgreSQL server: the connect with its
// session settings, the tables read from the server's catalog, the prepared
// INSERTs and the COPY of a transaction's batches, the transaction, and the
// server's errors as the component's numbers. The layer in database/ shares
// it among the Databases that this thread opens on the same URI.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "database/Engine.h"

namespace viruzedi {

// Frees a query result when it goes out of scope.
struct PgResultFree {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultFree>;

class PgConnection : public EngineConnection {
 public:
  // Connects and sets up the session: every commit waits for the server's
  // disk, a lock wait ends after `busyTimeout`, dates and texts come as the
  // component writes them. 3151 with libpq's reason when it cannot connect.
  static std::unique_ptr<PgConnection> Connect(const std::string& uri,
                                               std::chrono::milliseconds busyTimeout);
  ~PgConnection() override;
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  const std::string& Shown() const override { return shownUri_; }
  // Inside a transaction, whether the connection is not known to be broken;
  // outside one, whether it still holds once what the server sent meanwhile
  // is read (without waiting): a server restarted or a session ended by the
  // server while the connection sat idle is noticed here rather than at the
  // next row.
  bool StillServes(const std::string& uri, bool inTransaction) override;

  // The tables and views of the schemas of search_path, in its order; a
  // table's version is that of its rows in the catalog, which every change
  // of its columns replaces.
  std::vector<CatalogTable> Tables() override;
  void ReadTable(KnownTable& table) override;
  std::vector<std::string> TableVersions(const std::vector<const KnownTable*>& tables) override;
  void ForgetStatements() override;

  // Inside a transaction a batch of rows of a table goes as one COPY, in
  // its text format; outside one, or into a view or a foreign table (which
  // COPY cannot write), each row as its prepared INSERT. Either way a value
  // goes as the same text, so the server stores the same. A refusal
  // (SQLSTATE class 23) inside a transaction aborts it on the server: the
  // batch then stops there, failed whole.
  BatchOutcome Send(const RowBatch& batch) override;
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override;
  void Execute(const std::string& sql) override { Exec(sql); }

  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  void RestartTransaction() override;
  bool RefusalEndsTransaction() const override { return true; }
  // A transaction's batch is one COPY, which waits twice on the server
  // (its start, its end): a few thousand rows (a few hundred kilobytes of
  // its text) make those waits few.
  size_t BatchRows() const override { return 4096; }
  // Nothing to do: the session sets synchronous_commit = on, so every
  // commit returned only once the server had its rows on disk.
  void MakeDurable() override {}

  // Asks the server's catalog for the role's rights on the table's
  // columns and on the ledger.
  void CheckRights(const KnownTable& table, const std::vector<size_t>& columns,
                   const std::function<const KnownTable*()>& ledger) override;
  const SqlTypes& LedgerTypes() const override { return kPostgresTypes; }
  void LockTableCreation() override { Exec(kPostgresCreationLock); }
  void ListRows(const KnownTable& table, size_t most, std::vector<std::vector<std::string>>& rows,
                int64_t& count) override;

  // Runs SQL text that carries no values; the errors of the server.
  void Exec(const std::string& sql);
  // Runs a query with text parameters and returns its rows.
  PgResult Query(const std::string& sql, const std::vector<std::string>& parameters = {});

 private:
  PgConnection(PGconn* connection, std::string shownUri)
      : connection_(connection), shownUri_(std::move(shownUri)) {}
  // Whether the connection is known to be broken (found so by the last
  // exchange with the server).
  bool Broken() const;
  // Throws the component's error for a failed result (null: the failure is
  // the connection's own).
  [[noreturn]] void Fail(const PGresult* result) const;
  const std::string& PreparedInsert(const RowBatch& batch);
  // Send's two ways: each row its prepared INSERT, or the batch in one COPY
  // (inside a transaction, into a table).
  BatchOutcome SendInserts(const RowBatch& batch);
  BatchOutcome SendCopy(const RowBatch& batch);

  PGconn* connection_;
  std::string shownUri_;
  std::map<std::string, std::string> inserts_;  // SQL text -> statement name
  uint64_t statementsPrepared_ = 0;             // numbers the statements' names
  bool inTransaction_ = false;
  std::set<std::string> copyTargets_;  // the oids of the tables read that COPY writes into
  std::string copyData_;               // a COPY's rows, its room kept from batch to batch
};

}  // namespace viruzedi
