// One connection of the engine to a PostgreSQL server: the connect with its
// session settings, the tables read from the server's catalog, the prepared
// INSERTs, the transaction with its redo after a refused row, and the
// server's errors as the component's numbers. Held by the sessions
// (PgSession) that this thread opens on the same URI.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/ColumnValue.h"
#include "database/TableSchema.h"

namespace viruzedi {

// Frees a query result when it goes out of scope.
struct PgResultFree {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultFree>;

// Not thread-safe: the thread that opened it (the cache hands it to no other).
class PgConnection {
 public:
  // Connects and sets up the session: every commit waits for the server's
  // disk, a lock wait ends after `busyTimeout`, dates and texts come as the
  // component writes them. 3151 with libpq's reason when it cannot connect.
  static std::unique_ptr<PgConnection> Connect(const std::string& uri,
                                               std::chrono::milliseconds busyTimeout);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Whether the connection is known to be broken (found so by the last
  // exchange with the server).
  bool Broken() const;
  // Whether the connection still holds, reading what the server sent
  // meanwhile without waiting for it: a server restarted or a session ended
  // by the server while the connection sat idle is noticed here rather than
  // at the next row.
  bool Alive();
  bool InTransaction() const { return inTransaction_; }
  // Forgets the tables read so far when another session changed one of
  // them since (a column added, the table dropped or made anew), so that a
  // new session sees what one on a new connection would. Outside a
  // transaction only: inside one, the rows written hold the tables
  // against such changes. A description handed out before stays valid
  // (an older session or record set may still hold it) but is no longer
  // found by name.
  void ForgetChangedTables();

  // The table named so in the first schema of search_path that has one:
  // an exact match first, else the only match without regard to case. 3078
  // when there is none. The reference stays valid while the connection
  // lives.
  const TableSchema& Table(const std::string& name);
  // A table of Table's by its name qualified with its schema, quoted, as
  // SQL text names it.
  const std::string& QualifiedName(const TableSchema& table);
  // Whether a table named so is there (Table without the error).
  bool HasTable(const std::string& name);

  // Inserts one row: `values[i]` into column `columns[i]` of `table` (none:
  // a row of defaults); true when stored, false when a constraint refused it
  // (SQLSTATE class 23). The values are checked against the columns'
  // limits before anything is sent.
  bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values);

  // The transaction of Database::BeginTransaction. 3000 when one is open.
  // A Commit that fails leaves none open; Rollback never throws.
  void Begin();
  void Commit();
  void Rollback() noexcept;

  // Runs SQL text that carries no values; the errors of the server.
  void Exec(const std::string& sql);
  // Runs a query with text parameters and returns its rows.
  PgResult Query(const std::string& sql, const std::vector<std::string>& parameters = {});

  // The URI as messages show it, its password masked.
  const std::string& ShownUri() const { return shownUri_; }
  // Throws the component's error for a failed result (null: the failure is
  // the connection's own).
  [[noreturn]] void Fail(const PGresult* result) const;

 private:
  // A row inserted in the open transaction, kept for its redo.
  struct KeptRow {
    const TableSchema* table;
    std::vector<size_t> columns;
    std::vector<BoundValue> values;
  };
  enum class Outcome { Stored, Refused };

  PgConnection(PGconn* connection, std::string shownUri)
      : connection_(connection), shownUri_(std::move(shownUri)) {}
  // The table named so, read from the catalog; null when there is none.
  TableSchema* FindTable(const std::string& name);
  void ReadColumns(TableSchema& table, const std::string& oid);
  // This connection's own description of a table (the caller may hold a
  // copy), for the rows kept past the caller's.
  const TableSchema& OwnTable(const TableSchema& table);
  const std::string& PreparedInsert(const TableSchema& table, const std::vector<size_t>& columns);
  // Sends one row; a class-23 refusal is Refused, every other failure throws.
  Outcome Send(const TableSchema& table, const std::vector<size_t>& columns,
               const std::vector<BoundValue>& values);
  // Sends one row inside its own savepoint, so a refusal leaves the
  // transaction going.
  Outcome SendInSavepoint(const TableSchema& table, const std::vector<size_t>& columns,
                          const std::vector<BoundValue>& values);
  // After a refusal aborted the transaction: begins it anew and sends again
  // every row kept so far, each in its own savepoint.
  void Redo();

  PGconn* connection_;
  std::string shownUri_;
  // Each table as found (by its oid), the name each was asked by, and its
  // name qualified with its schema, as the INSERTs name it.
  std::map<std::string, std::unique_ptr<TableSchema>> tables_;
  std::vector<std::unique_ptr<TableSchema>> retired_;  // forgotten, maybe still held
  // The version of each table in the catalog (kTableVersions), which every
  // change of the table's columns replaces.
  std::map<std::string, std::string> versions_;
  std::map<std::string, TableSchema*> asked_;
  std::map<const TableSchema*, std::string> qualifiedNames_;
  std::map<std::string, std::string> inserts_;  // column set -> statement name
  uint64_t statementsPrepared_ = 0;             // numbers the statements' names
  bool inTransaction_ = false;
  // Once a row was refused, the rest of the transaction's rows go each in
  // its own savepoint.
  bool savepointPerRow_ = false;
  std::vector<KeptRow> kept_;
};

// An identifier in double quotes, a double quote inside doubled.
std::string PgQuoteIdentifier(const std::string& name);

}  // namespace viruzedi
